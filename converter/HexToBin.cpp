#include "HexToBin.h"

#include "FileAccess.h"
#include "HexParser.h"
#include "MessageTexts.h"

namespace {

class FileSink : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    return writeAll(fd_, data, size) == 0;
  }

 private:
  int fd_;
};

}  // namespace

int HexToBin(const std::string& input_path, const std::string& output_target, std::uint32_t size,
             ConverterMessages& messages) {
  FileDescriptor input = OpenInput(input_path);
  if (!input) return 0;
  FileDescriptor output = CreateNewOutput(output_target);
  if (!output) return 0;

  const InputBuffer text = ReadWhole(input.get(), size);
  if (!text) {
    messages.ShowMessage(ErrorReadingFile(input_path));
    return 0;
  }

  FileSink sink(output.get());
  const HexReadEnd end = ReadHexRecords(text.data(), size, sink, messages);
  // A write that fails late (a full disk on a network file system) shows up at the close.
  if (output.close() != 0 || end == HexReadEnd::WriteFailed) {
    messages.ShowMessage(ErrorReadingFile(input_path));
    return 0;
  }
  return 1;
}
