#include "HexToBin.h"

#include "FileAccess.h"
#include "HexParser.h"

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
  return runConversion(inputPath, outputTarget, size, messages,
                       [size, &messages](FileSource& source, int output) {
                         FileSink sink(output);
                         const HexReadEnd end = readHexRecords(source, size, sink, messages);
                         return end != HexReadEnd::WriteFailed && end != HexReadEnd::ReadFailed;
                       });
}
