#include "DirectPort.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {
constexpr const char* kUseTheDrivers =
    " Load the port drivers (sudo modprobe parport_pc ppdev) so that the port is reached "
    "through /dev/parportN.";
}  // namespace

#if defined(__x86_64__) || defined(__i386__)

#include <sys/io.h>

namespace {

// ioperm reaches only the first 1024 ports; a card above them needs iopl.
constexpr unsigned kIopermLimit = 0x400;
constexpr unsigned kRegisters = 3;

class DirectPort final : public PortIo {
 public:
  explicit DirectPort(std::uint16_t base) : base_(base) {}
  ~DirectPort() override {
    if (base_ + kRegisters <= kIopermLimit)
      ::ioperm(base_, kRegisters, 0);
    else
      ::iopl(0);
  }
  void out(std::uint16_t port, std::uint8_t value) override {
    if (ours(port)) ::outb(value, port);
  }
  std::uint8_t in(std::uint16_t port) override { return ours(port) ? ::inb(port) : 0xFF; }

 private:
  // Only the permitted registers: any other address would fault.
  bool ours(std::uint16_t port) const { return port >= base_ && port < base_ + kRegisters; }
  std::uint16_t base_;
};

}  // namespace

Expected<std::unique_ptr<PortIo>> openDirectPort(std::uint16_t base) {
  const int result = base + kRegisters <= kIopermLimit ? ::ioperm(base, kRegisters, 1) : ::iopl(3);
  if (result != 0) {
    const int error = errno;
    return Failure{directRefusalText(error, ::geteuid() == 0)};
  }
  return std::unique_ptr<PortIo>(std::make_unique<DirectPort>(base));
}

#else

Expected<std::unique_ptr<PortIo>> openDirectPort(std::uint16_t) {
  return Failure{std::string("this machine has no x86 I/O ports for direct access.") +
                 kUseTheDrivers};
}

#endif

std::string directRefusalText(int error, bool root) {
  const std::string reason = std::string(" (") + std::strerror(error) + ").";
  if (error == EPERM && !root)
    return "direct port access needs root" + reason +
           " Load the port drivers (sudo modprobe parport_pc ppdev) and join the group lp "
           "(sudo usermod -aG lp $USER, then log in again), or run the program as root.";
  if (error == EPERM)
    return "the kernel refuses direct port access even to root" + reason +
           " It does so under kernel lockdown (Secure Boot)." + kUseTheDrivers;
  return "direct port access failed" + reason + kUseTheDrivers;
}
