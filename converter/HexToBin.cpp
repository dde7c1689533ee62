#include "converter/HexToBin.h"

#include "converter/FileAccess.h"
#include "converter/HexParser.h"
#include "converter/MessageTexts.h"

namespace {

class FileSink : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  bool Write(const std::uint8_t* data, std::size_t size) override {
    return WriteAll(fd_, data, size);
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
  input.Close();
  if (!text) {
    messages.ShowMessage(ErrorReadingFile(input_path));
    return 0;
  }

  FileSink sink(output.get());
  const HexReadEnd end = ReadHexRecords(text.data(), size, sink, messages);
  // A write that fails late (a full disk on a network file system) shows up at the close.
  if (!output.Close() || end == HexReadEnd::WriteFailed) {
    messages.ShowMessage(ErrorReadingFile(input_path));
    return 0;
  }
  return 1;
}
