#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

#include "Expected.h"
#include "PortIo.h"

// The system calls the ppdev back-end makes, behind an interface so that the
// tests run it against a fake port.
class PpdevCalls {
 public:
  virtual ~PpdevCalls() = default;
  // The new descriptor; -1, with `error` set, when it cannot be opened.
  virtual int open(const std::string& path, std::error_code& error) = 0;
  virtual void close(int fd) = 0;
  [[nodiscard]] virtual std::error_code ioctl(int fd, unsigned long request, void* arg) = 0;
};

std::unique_ptr<PpdevCalls> makeSystemPpdevCalls();

// The last words of every "No Port Access" explanation.
inline constexpr const char* kSimulateHint = " Or try the board simulator: --simulate.";

// N of the parportN under `procRoot`/sys/dev/parport whose base-addr (the
// first number, decimal) is `base`; the lowest N when several are; -1 when none.
int findParportWithBase(const std::string& procRoot, std::uint16_t base);

// One parallel port through /dev/parportN, opened exclusively and claimed for
// the object's whole life: every claim makes the kernel write control 0Ch,
// which the board takes for a programming pulse, so it happens once.
class PpdevPort final : public PortIo {
 public:
  // Opens `device` and claims it, then writes control 00h. Refuses a port
  // that cannot switch its data lines to input. When it fails: what is
  // missing and how to get it.
  static Expected<std::unique_ptr<PpdevPort>> open(PpdevCalls& calls, const std::string& device,
                                                   std::uint16_t base);
  // Leaves the board off and FFh in the data latch, then releases the port.
  ~PpdevPort() override;

  // Data at base, control at base + 2. The kernel keeps only control bits 0-3
  // of PPWCONTROL; bit 5, the data direction, goes through PPDATADIR. A call
  // that fails throws PortFailure and marks the port failed.
  void out(std::uint16_t port, std::uint8_t value) override;
  std::uint8_t in(std::uint16_t port) override;

  bool failed() const { return failed_; }

 private:
  PpdevPort(PpdevCalls& calls, int fd, std::string device, std::uint16_t base);
  void call(unsigned long request, void* arg, const char* what);
  void writeControlLines(std::uint8_t value);
  void setDataInput(bool input);

  PpdevCalls& calls_;
  int fd_;
  std::string device_;
  std::uint16_t base_;
  bool dataInput_ = false;
  std::uint8_t lines_ = 0x0C;  // control bits 0-3 as last written; a claim leaves 0Ch
  bool failed_ = false;
};
