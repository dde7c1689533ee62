// The ppdev back-end against a fake ioctl layer and a fake /proc tree, and
// the choice between ppdev and direct I/O.
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <map>

#include "DirectPort.h"
#include "HardwarePortSource.h"
#include "core_fakes.h"

namespace {

namespace fs = std::filesystem;

class FakePpdev final : public PpdevCalls {
 public:
  Events calls;
  unsigned modes = PARPORT_MODE_PCSPP | PARPORT_MODE_TRISTATE;
  int openError = 0;
  unsigned long failing = 0;  // the request that fails with EIO

  int open(const std::string& path, std::error_code& error) override {
    calls.push_back("open " + path);
    if (openError == 0) return 3;
    error = {openError, std::generic_category()};
    return -1;
  }
  void close(int) override { calls.push_back("close"); }
  std::error_code ioctl(int, unsigned long request, void* arg) override {
    static const std::map<unsigned long, const char*> kNames{
        {PPGETMODES, "GETMODES"},  {PPEXCL, "EXCL"},       {PPCLAIM, "CLAIM"},
        {PPRELEASE, "RELEASE"},    {PPRDATA, "RDATA"},     {PPWDATA, "WDATA "},
        {PPWCONTROL, "WCONTROL "}, {PPDATADIR, "DATADIR "}};
    std::string call = kNames.at(request);
    if (request == PPGETMODES) *static_cast<unsigned*>(arg) = modes;
    if (request == PPRDATA) *static_cast<unsigned char*>(arg) = 0xC3;
    if (request == PPWDATA || request == PPWCONTROL)
      call = tagged(call.c_str(), *static_cast<unsigned char*>(arg), true);
    if (request == PPDATADIR) call = tagged(call.c_str(), *static_cast<int*>(arg));
    calls.push_back(call);
    return request == failing ? std::make_error_code(std::errc::io_error) : std::error_code();
  }
};

// /proc with parport0 at 956, parport1 at 888, and entries that are not ports.
class PpdevTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const auto& [name, text] :
         {std::pair{"parport0", "956\t1980\n"}, std::pair{"parport1", "888\t1912\n"},
          std::pair{"default", "888\n"}, std::pair{"parportx", "888"}}) {
      fs::create_directories(root_ / "sys/dev/parport" / name);
      writeFile((root_ / "sys/dev/parport" / name / "base-addr").string(), text);
    }
  }
  // The port, or nullptr with whyNot_ saying why there is none.
  std::unique_ptr<PpdevPort> openPort() {
    Expected<std::unique_ptr<PpdevPort>> port = PpdevPort::open(fake_, "/dev/parport1", 888);
    whyNot_ = port.error();
    return port ? std::move(*port) : nullptr;
  }
  PortIo* acquire(HardwarePortSource& source, std::int16_t base) {
    const Expected<PortIo*> port = source.acquire(base);
    whyNot_ = port.error();
    return port ? *port : nullptr;
  }

  TempFolder temp_;
  fs::path root_ = temp_.path;
  FakePpdev fake_;
  std::string whyNot_;
};

TEST_F(PpdevTest, OpenFailuresSayWhatIsMissing) {
  using Case = std::tuple<unsigned, int, unsigned long, const char*>;
  const unsigned full = fake_.modes;
  for (const auto& [modes, error, failing, hint] : std::initializer_list<Case>{
           {PARPORT_MODE_PCSPP, 0, 0, "cannot switch its data lines to input"},
           {full, EACCES, 0, "group lp"},
           {full, 0, PPCLAIM, "rmmod lp"}}) {
    fake_.calls.clear();
    fake_.modes = modes;
    fake_.openError = error;
    fake_.failing = failing;
    EXPECT_EQ(openPort(), nullptr);
    EXPECT_NE(whyNot_.find(hint), std::string::npos) << whyNot_;
    EXPECT_NE(whyNot_.find("--simulate"), std::string::npos) << whyNot_;
    if (modes != full) {  // refused before the claim and its pulse
      EXPECT_EQ(fake_.calls, (Events{"open /dev/parport1", "GETMODES", "close"}));
    }
  }
}

TEST_F(PpdevTest, ClaimsOnceThenTranslatesControlBitsAndDirectionInASafeOrder) {
  auto port = openPort();
  ASSERT_NE(port, nullptr) << whyNot_;
  EXPECT_EQ(fake_.calls, (Events{"open /dev/parport1", "GETMODES", "EXCL", "CLAIM", "WCONTROL 00",
                                 "DATADIR 0"}));  // ending the pulse the claim starts
  const std::vector<std::pair<std::uint8_t, Events>> steps{
      {0x22, {"DATADIR 1", "WCONTROL 02"}},  // stop driving before the chip may drive
      {0x23, {"WCONTROL 03"}},
      {0x0A, {"WCONTROL 0A", "DATADIR 0"}},  // the chip stops driving before the port drives
      {0xDE, {"WCONTROL 0E"}},               // bits 4, 6 and 7 never reach the port
  };
  for (const auto& [value, expected] : steps) {
    fake_.calls.clear();
    port->out(890, value);
    EXPECT_EQ(fake_.calls, expected) << int(value);
  }
  fake_.calls.clear();
  port->out(888, 0x5A);
  port->out(891, 0x01);  // not a register of this port
  EXPECT_EQ(port->in(888), 0xC3);
  EXPECT_EQ(fake_.calls, (Events{"WDATA 5A", "RDATA"}));
  fake_.failing = PPRDATA;
  EXPECT_THROW(port->in(888), PortFailure);
  EXPECT_TRUE(port->failed());
  fake_.calls.clear();
  port.reset();
  EXPECT_EQ(fake_.calls, (Events{"RELEASE", "close"}));  // a failed port is told nothing more
}

TEST_F(PpdevTest, ReleaseLeavesTheBoardOffAndTheLatchAtFFh) {
  // The next claim pulses whatever the latch holds into the chip: FFh programs nothing.
  for (const auto& [last, release] : std::vector<std::pair<std::uint8_t, Events>>{
           {0x22, {"WCONTROL 00", "DATADIR 0", "WDATA FF", "RELEASE", "close"}},
           {0x00, {"WDATA FF", "RELEASE", "close"}}}) {
    fake_.calls.clear();
    auto port = openPort();
    ASSERT_NE(port, nullptr) << whyNot_;
    port->out(888, 0x12);
    port->out(890, last);
    fake_.calls.clear();
    port.reset();
    EXPECT_EQ(fake_.calls, release) << int(last);
  }
}

TEST_F(PpdevTest, SourceHoldsOnePortPerBaseAndFallsBackToDirectAccess) {
  auto owned = std::make_unique<FakePpdev>();
  const Events& calls = owned->calls;
  std::vector<int> direct;
  HardwarePortSource source(std::move(owned), root_.string(), "/dev",
                            [&](std::uint16_t base) -> Expected<std::unique_ptr<PortIo>> {
                              direct.push_back(base);
                              return Failure{directRefusalText(EPERM, false)};
                            });
  PortIo* first = acquire(source, 888);  // parport1, found by its base address
  ASSERT_NE(first, nullptr) << whyNot_;
  EXPECT_EQ(acquire(source, 888), first);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "CLAIM"), 1);
  EXPECT_NE(acquire(source, 956), nullptr);
  EXPECT_EQ(calls[7], "RELEASE");  // the old port goes before the new one is opened
  EXPECT_EQ(calls[9], "open /dev/parport0");

  EXPECT_EQ(acquire(source, 632), nullptr);
  for (const char* part :
       {"632 (278h), and direct port access needs root", "group lp", "--simulate"})
    EXPECT_NE(whyNot_.find(part), std::string::npos) << whyNot_;
  for (std::int16_t bad : {0, -888, 32766}) {
    EXPECT_EQ(acquire(source, bad), nullptr);
    EXPECT_NE(whyNot_.find("not a usable base address"), std::string::npos);
  }
  EXPECT_EQ(whyNot_,
            "This is not a usable base address (the control register at base + 2 must stay below "
            "32768): set one from 1 to 32765 in Options.");
  EXPECT_EQ(direct, std::vector<int>{632});
}

TEST(DirectPort, RefusalSaysWhatFailedAndOnlyTellsOrdinaryUsersToBecomeRoot) {
  const std::string user = directRefusalText(EPERM, false);
  const std::string lockedDown = directRefusalText(EPERM, true);
  const std::string other = directRefusalText(EINVAL, true);
  EXPECT_NE(user.find("needs root (Operation not permitted)"), std::string::npos) << user;
  EXPECT_NE(user.find("group lp"), std::string::npos) << user;
  for (const std::string& text : {lockedDown, other}) {
    EXPECT_EQ(text.find("as root"), std::string::npos) << text;
    EXPECT_EQ(text.find("needs root"), std::string::npos) << text;
    EXPECT_NE(text.find("modprobe parport_pc ppdev"), std::string::npos) << text;
  }
  EXPECT_NE(lockedDown.find("(Operation not permitted)"), std::string::npos) << lockedDown;
  EXPECT_NE(lockedDown.find("lockdown"), std::string::npos) << lockedDown;
  EXPECT_NE(other.find("failed (Invalid argument)"), std::string::npos) << other;
}

}  // namespace
