// The ppdev back-end against a fake ioctl layer and a fake /proc tree, the
// choice between ppdev and direct I/O, the check that a port answers on
// both, and direct I/O's refusals. (What the
// real kernel puts on the port's registers: the emulated PC's test.)
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <linux/parport.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <map>

#include "DirectPort.h"
#include "HardwarePortSource.h"
#include "PortPresence.h"
#include "core_fakes.h"

namespace {

using ::testing::AllOf;
using ::testing::HasSubstr;
using ::testing::Not;

struct FakePpdev final : PpdevCalls {
  int open(const std::string& path, std::error_code& error) override {
    calls.push_back("open " + path);
    error = {openError, std::generic_category()};
    return openError == 0 ? 3 : -1;
  }
  void close(int) override { calls.push_back("close"); }
  std::error_code ioctl(int, unsigned long request, void* arg) override {
    static const std::map<unsigned long, const char*> kNames{
        {PPGETMODES, "GETMODES"}, {PPEXCL, "EXCL"},      {PPCLAIM, "CLAIM"},
        {PPRELEASE, "RELEASE"},   {PPRDATA, "RDATA"},    {PPWDATA, "WDATA"},
        {PPWCONTROL, "WCONTROL"}, {PPDATADIR, "DATADIR"}};
    std::string call = kNames.at(request);
    if (request == PPGETMODES) *static_cast<unsigned*>(arg) = modes;
    if (request == PPWDATA) latch = *static_cast<unsigned char*>(arg);
    if (request == PPRDATA) *static_cast<unsigned char*>(arg) = answers ? latch : 0xFF;
    if (request == PPWDATA || request == PPWCONTROL)
      call = tagged((call + " ").c_str(), *static_cast<unsigned char*>(arg), true);
    if (request == PPDATADIR) call = tagged("DATADIR ", *static_cast<int*>(arg));
    calls.push_back(call);
    return request == failing ? std::make_error_code(std::errc::io_error) : std::error_code();
  }

  Events calls;
  unsigned modes = PARPORT_MODE_PCSPP | PARPORT_MODE_TRISTATE;
  int openError = 0;
  unsigned long failing = 0;  // the request that fails with EIO
  bool answers = true;        // the data register reads back its latch, else FFh
  unsigned char latch = 0xFF;
};

// What a port source does to a port it has opened, once: the check that a
// port answers there.
const Events kAnswerCheck{"WDATA FF", "WCONTROL 00", "WDATA 55", "RDATA",
                          "WDATA AA", "RDATA",       "WDATA FF"};

Events opened(const std::string& device) {
  return {"open " + device, "GETMODES", "EXCL", "CLAIM", "WCONTROL 00", "DATADIR 0"};
}

// A port for direct I/O that stands for the test's recording port.
class DirectStandIn final : public PortIo {
 public:
  explicit DirectStandIn(PortIo& port) : port_(port) {}
  void out(std::uint16_t port, std::uint8_t value) override { port_.out(port, value); }
  std::uint8_t in(std::uint16_t port) override { return port_.in(port); }

 private:
  PortIo& port_;
};

TEST(PpdevPort, OpenFailuresSayWhatIsMissingAndAPortThatCannotReadIsNeverClaimed) {
  for (const auto& [modes, error, failing, hint] :
       std::initializer_list<std::tuple<unsigned, int, unsigned long, const char*>>{
           {PARPORT_MODE_PCSPP, 0, 0, "cannot switch its data lines to input"},
           {PARPORT_MODE_TRISTATE, EACCES, 0, "add yourself to the group lp"},
           {PARPORT_MODE_TRISTATE, ENOENT, 0, "load the ppdev module"},
           {PARPORT_MODE_TRISTATE, 0, PPCLAIM, "the printer driver (sudo rmmod lp)"}}) {
    FakePpdev fake;
    std::tie(fake.modes, fake.openError, fake.failing) = std::tuple(modes, error, failing);
    const auto port = PpdevPort::open(fake, "/dev/parport1", 888);
    EXPECT_FALSE(port);
    EXPECT_THAT(
        port.error(),
        AllOf(HasSubstr(hint), ::testing::EndsWith(" Or try the board simulator: --simulate.")));
    EXPECT_EQ(std::count(fake.calls.begin(), fake.calls.end(), "CLAIM"), failing == PPCLAIM);
  }
}

class PortSourceTest : public ::testing::Test {
 protected:
  void SetUp() override {  // parport0 at 956, parport1 at 888, and entries that are no ports
    for (const auto& [name, text] : {std::pair{"parport0", "956\t1980\n"},
                                     {"parport1", "888\t1912\n"},
                                     {"default", "888\n"},
                                     {"parportx", "888"}}) {
      std::filesystem::create_directories(temp_.path / "sys/dev/parport" / name);
      writeFile((temp_.path / "sys/dev/parport" / name / "base-addr").string(), text);
    }
  }
  PortIo* acquire(std::int16_t base) {
    const Expected<PortIo*> port = source_.acquire(base);
    whyNot_ = port.error();
    return port ? *port : nullptr;
  }
  TempFolder temp_;
  FakePpdev* fake_ = new FakePpdev;
  std::vector<int> direct_;
  // As the window makes it: an unusable base address is to be changed in Options.
  HardwarePortSource source_{std::unique_ptr<FakePpdev>(fake_), temp_.path.string(), "/dev",
                             [this](std::uint16_t base) -> Expected<std::unique_ptr<PortIo>> {
                               direct_.push_back(base);
                               if (!directAllowed_) return Failure{directRefusalText(EPERM, false)};
                               return std::unique_ptr<PortIo>(new DirectStandIn(directPort_));
                             },
                             " in Options"};
  std::string whyNot_;
  bool directAllowed_ = false;  // else refused as to an ordinary user
  Recorder directPort_{632};
};

TEST_F(PortSourceTest, HoldsOnePortFoundByItsBaseAddressAndReleasesItBeforeTheNext) {
  PortIo* first = acquire(888);
  ASSERT_NE(first, nullptr) << whyNot_;
  EXPECT_EQ(acquire(888), first);
  ASSERT_NE(acquire(956), nullptr);
  EXPECT_EQ(fake_->calls, join({opened("/dev/parport1"),
                                kAnswerCheck,
                                {"WDATA FF", "RELEASE", "close"},
                                opened("/dev/parport0"),
                                kAnswerCheck}));
  EXPECT_EQ(direct_.size(), 0u);
}

TEST_F(PortSourceTest, APortThatDoesNotAnswerIsRefusedNamingItsAddressAndReleased) {
  const std::string advice = std::string(kNoPortHere) + kSimulateHint;
  fake_->answers = false;
  EXPECT_EQ(acquire(888), nullptr);
  EXPECT_EQ(
      whyNot_,
      "No parallel port answers at 0378h: 55h written to its data register read back as FFh." +
          advice);
  EXPECT_EQ(fake_->calls, join({opened("/dev/parport1"),
                                {"WDATA FF", "WCONTROL 00", "WDATA 55", "RDATA", "WDATA FF"},
                                {"WDATA FF", "RELEASE", "close"}}));
  fake_->answers = true;  // not held: asked again, it is opened again
  EXPECT_NE(acquire(888), nullptr) << whyNot_;
  EXPECT_EQ(std::count(fake_->calls.begin(), fake_->calls.end(), "CLAIM"), 2);

  // The same check on direct I/O.
  directAllowed_ = true;
  EXPECT_EQ(acquire(632), nullptr);
  EXPECT_EQ(
      whyNot_,
      "No parallel port answers at 0278h: 55h written to its data register read back as FFh." +
          advice);
  EXPECT_EQ(directPort_.events, (Events{"DFF", "C00", "D55", "R", "DFF"}));
  directPort_.events.clear();
  directPort_.reads = {0x55, 0xAA};
  PortIo* direct = acquire(632);
  ASSERT_NE(direct, nullptr) << whyNot_;
  EXPECT_EQ(acquire(632), direct);
  EXPECT_EQ(directPort_.events, (Events{"DFF", "C00", "D55", "R", "DAA", "R", "DFF"}));
}

TEST_F(PortSourceTest, WithoutAPpdevPortDirectAccessIsTriedAndEveryRefusalExplained) {
  EXPECT_EQ(acquire(632), nullptr);
  EXPECT_EQ(direct_, std::vector<int>{632});
  EXPECT_THAT(whyNot_, AllOf(HasSubstr("632 (278h), and direct port access needs root"),
                             HasSubstr("group lp"), HasSubstr("--simulate")));
  for (const std::int16_t bad : std::initializer_list<std::int16_t>{0, -888, 32766}) {
    EXPECT_EQ(acquire(bad), nullptr);
    EXPECT_EQ(whyNot_,
              "This is not a usable base address (the control register at base + 2 must stay below "
              "32768): set one from 1 to 32765 in Options.");
  }
  EXPECT_EQ(direct_.size(), 1u);
}

TEST(DirectPort, RefusalSaysWhatFailedAndOnlyTellsOrdinaryUsersToBecomeRoot) {
  EXPECT_THAT(directRefusalText(EPERM, false),
              AllOf(HasSubstr("needs root (Operation not permitted)"), HasSubstr("group lp")));
  for (const auto& [text, reason] :
       {std::pair{directRefusalText(EPERM, true), "lockdown"},
        {directRefusalText(EINVAL, true), "failed (Invalid argument)"}})
    EXPECT_THAT(text, AllOf(Not(HasSubstr("needs root")), Not(HasSubstr("as root")),
                            HasSubstr(reason), HasSubstr("modprobe parport_pc ppdev")));
}

}  // namespace
