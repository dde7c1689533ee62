#include "HexToBin.h"

#include "FileAccess.h"
#include "HexParser.h"
#include "MessageTexts.h"

namespace {

class FileSink : public ByteSink {
 public:
  explicit FileSink(int fd) : fd_(fd) {}
  bool write(const std::uint8_t* data, std::size_t size) override {
    return !writeAll(fd_, data, size);
  }

 private:
  int fd_;
};

}  // namespace

int HexToBin(const std::string& inputPath, const std::string& outputTarget, std::uint32_t size,
             ConverterMessages& messages) {
  FileDescriptor input = openInput(inputPath);
  if (!input) return 0;
  FileDescriptor output = createNewOutput(outputTarget);
  if (!output) return 0;

  FileSource source(input.get(), size);
  FileSink sink(output.get());
  const HexReadEnd end = readHexRecords(source, size, sink, messages);
  // A write that fails late (a full disk on a network file system) shows up at the close.
  if (output.close() || end == HexReadEnd::WriteFailed || end == HexReadEnd::ReadFailed) {
    messages.ShowMessage(errorReadingFile(inputPath));
    return 0;
  }
  return 1;
}
