#include "Ppdev.h"

#include <fcntl.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <system_error>

#include "BoardControl.h"

namespace {

class SystemPpdevCalls final : public PpdevCalls {
 public:
  int open(const std::string& path, std::error_code& error) override {
    const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) error = lastSystemError();
    return fd;
  }
  void close(int fd) override { ::close(fd); }
  std::error_code ioctl(int fd, unsigned long request, void* arg) override {
    return ::ioctl(fd, request, arg) == 0 ? std::error_code() : lastSystemError();
  }
};

std::string openRefusal(const std::string& device, std::error_code error) {
  switch (error.value()) {
    case EACCES:
    case EPERM:
      return "You may not use " + device +
             ": add yourself to the group lp (sudo usermod -aG lp $USER) and log in again." +
             kSimulateHint;
    case ENOENT:
    case ENODEV:
    case ENXIO:
      return device + " is missing: load the ppdev module (sudo modprobe ppdev)." + kSimulateHint;
    default:
      return device + " cannot be opened (" + error.message() + ")." + kSimulateHint;
  }
}

// The first whole number of a base-addr file ("888\t1912"); none when the
// file cannot be read or holds none.
std::optional<long> readBaseAddress(const std::filesystem::path& file) {
  std::ifstream in(file);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const char* begin = text.data();
  const char* end = begin + text.size();
  while (begin != end && (*begin == ' ' || *begin == '\t')) ++begin;
  long base = 0;
  if (std::from_chars(begin, end, base).ec != std::errc{}) return std::nullopt;
  return base;
}

}  // namespace

std::unique_ptr<PpdevCalls> makeSystemPpdevCalls() {
  return std::make_unique<SystemPpdevCalls>();
}

int findParportWithBase(const std::string& procRoot, std::uint16_t base) {
  namespace fs = std::filesystem;
  std::error_code error;
  int found = -1;
  for (const fs::directory_entry& entry :
       fs::directory_iterator(fs::path(procRoot) / "sys/dev/parport", error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with("parport")) continue;  // e.g. "default"
    int number = -1;
    const char* digits = name.data() + 7;
    const char* end = name.data() + name.size();
    const auto parsed = std::from_chars(digits, end, number);
    if (digits == end || parsed.ec != std::errc{} || parsed.ptr != end) continue;
    if (readBaseAddress(entry.path() / "base-addr") == base && (found < 0 || number < found))
      found = number;
  }
  return found;
}

Expected<std::unique_ptr<PpdevPort>> PpdevPort::open(PpdevCalls& calls, const std::string& device,
                                                     std::uint16_t base) {
  std::error_code error;
  const int fd = calls.open(device, error);
  if (fd < 0) return Failure{openRefusal(device, error)};
  // Asked before the claim, so that a refused port never sees the claim's pulse.
  unsigned int modes = 0;
  if ((error = calls.ioctl(fd, PPGETMODES, &modes))) {
    calls.close(fd);
    return Failure{"The modes of " + device + " cannot be read (" + error.message() + ")." +
                   kSimulateHint};
  }
  if (!(modes & PARPORT_MODE_TRISTATE)) {
    calls.close(fd);
    return Failure{"The port " + device +
                   " cannot switch its data lines to input, so it cannot read a chip. Set the "
                   "port to bidirectional (PS/2, EPP or ECP) in the BIOS set-up." +
                   kSimulateHint};
  }
  error = calls.ioctl(fd, PPEXCL, nullptr);
  if (!error) error = calls.ioctl(fd, PPCLAIM, nullptr);
  if (error) {
    calls.close(fd);
    return Failure{device + " cannot be claimed for this program alone (" + error.message() +
                   "): another driver may hold the port, such as the printer driver "
                   "(sudo rmmod lp)." +
                   kSimulateHint};
  }
  std::unique_ptr<PpdevPort> port(new PpdevPort(calls, fd, device, base));
  try {
    // The claim has left control at 0Ch (programming state with a pulse): end it at once.
    port->writeControlLines(control_value::kOff);
    port->setDataInput(false);
  } catch (const PortFailure& failure) {
    return Failure{std::string(failure.what()) + "." + kSimulateHint};
  }
  return port;
}

PpdevPort::PpdevPort(PpdevCalls& calls, int fd, std::string device, std::uint16_t base)
    : calls_(calls), fd_(fd), device_(std::move(device)), base_(base) {}

PpdevPort::~PpdevPort() {
  // Every claim of the port, ours or the next program's, starts with the
  // kernel's control 0Ch: a programming pulse with the data latch on the
  // lines. Left with the board off and FFh in the latch, such a pulse
  // programs nothing.
  if (!failed_) {
    try {
      if (lines_ != control_value::kOff || dataInput_)
        out(static_cast<std::uint16_t>(base_ + 2), control_value::kOff);
      out(base_, 0xFF);
    } catch (const PortFailure&) {
      // The port stopped answering: there is nothing more to tell it.
    }
  }
  // A port that cannot be released is closed all the same, which releases it.
  [[maybe_unused]] const std::error_code released = calls_.ioctl(fd_, PPRELEASE, nullptr);
  calls_.close(fd_);
}

void PpdevPort::call(unsigned long request, void* arg, const char* what) {
  if (const std::error_code error = calls_.ioctl(fd_, request, arg)) {
    failed_ = true;
    throw PortFailure(std::string(what) + " on " + device_ + " failed (" + error.message() + ")");
  }
}

void PpdevPort::writeControlLines(std::uint8_t value) {
  unsigned char lines = value & 0x0F;
  call(PPWCONTROL, &lines, "Writing the control register");
  lines_ = lines;
}

void PpdevPort::setDataInput(bool input) {
  int reverse = input ? 1 : 0;
  call(PPDATADIR, &reverse, "Switching the data direction");
  dataInput_ = input;
}

void PpdevPort::out(std::uint16_t port, std::uint8_t value) {
  if (port == base_) {
    unsigned char data = value;
    call(PPWDATA, &data, "Writing the data register");
  } else if (port == static_cast<std::uint16_t>(base_ + 2)) {
    const bool input = value & control_bit::kDataInput;
    // The port stops driving the data lines before the control lines let the
    // chip drive them, and drives them again only after the chip has stopped.
    if (input && !dataInput_) setDataInput(true);
    writeControlLines(value);
    if (!input && dataInput_) setDataInput(false);
  }
}

std::uint8_t PpdevPort::in(std::uint16_t port) {
  unsigned char value = 0xFF;
  if (port == base_) {
    call(PPRDATA, &value, "Reading the data register");
  } else if (port == static_cast<std::uint16_t>(base_ + 1)) {
    call(PPRSTATUS, &value, "Reading the status register");
  } else if (port == static_cast<std::uint16_t>(base_ + 2)) {
    call(PPRCONTROL, &value, "Reading the control register");
    value = static_cast<unsigned char>((value & 0x0F) | (dataInput_ ? control_bit::kDataInput : 0));
  }
  return value;
}
