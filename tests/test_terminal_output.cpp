// vesk's standard error: the core's messages as lines, left out by their kind
// when vesk is quiet, and the progress bar drawn as its throttle says.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <thread>

#include "TerminalMessages.h"
#include "TerminalProgress.h"

namespace {

// Standard error in memory.
class Captured {
 public:
  Captured() : stream_(::open_memstream(&buffer_, &size_)) {}
  ~Captured() {
    std::fclose(stream_);
    std::free(buffer_);
  }
  Captured(const Captured&) = delete;
  Captured& operator=(const Captured&) = delete;
  std::FILE* stream() const { return stream_; }
  std::string text() const {
    std::fflush(stream_);
    return {buffer_, size_};
  }

 private:
  char* buffer_ = nullptr;
  std::size_t size_ = 0;
  std::FILE* stream_;
};

const Message kMessages[] = {
    {MessageKind::Announcement, MessageIcon::Information, "Starting", {"4096 Byte"}},
    {MessageKind::Note, MessageIcon::Information, "Warning!", {"all went well"}},
    {MessageKind::Warning, MessageIcon::Information, "Warning !", {"The Eprom is not Empty"}},
    {MessageKind::Error, MessageIcon::Critical, "Port Error", {"Reading stopped.", "It failed"}}};

TEST(TerminalMessages, EachLineOnItsOwnAndQuietLeavesOutAnnouncementsAndNotesByTheirKind) {
  for (const bool quiet : {false, true}) {
    Captured errors;
    {
      StatusLine line(errors.stream());
      TerminalMessages messages(line, quiet);
      for (const Message& message : kMessages) messages.show(message);
    }
    const std::string chatter = quiet ? "" : "Starting: 4096 Byte\nWarning!: all went well\n";
    EXPECT_EQ(errors.text(), chatter +
                                 "Warning !: The Eprom is not Empty\n"
                                 "Port Error: Reading stopped.\nIt failed\n")
        << quiet;
  }
}

TEST(TerminalProgress, DrawsAPassesFirstValueThenAtMostEveryTenthOfASecond) {
  Captured errors;
  StatusLine line(errors.stream());
  TerminalProgress bar(line);
  bar.setVisible(true);
  bar.setMaximum(4096);
  for (std::int32_t value = 1; value <= 65; ++value) bar.setValue(value);
  std::this_thread::sleep_for(ProgressThrottle::kRedrawInterval + std::chrono::milliseconds(10));
  // The clock is looked at once per 64 values: at 129, not before.
  for (std::int32_t value = 66; value <= 129; ++value) bar.setValue(value);
  bar.setValue(1);  // a new pass, drawn at once
  const std::string shown = errors.text();
  const auto drawn = [&shown](int value) {
    std::string figures(1, ' ');  // appended: gcc 12 warns wrongly (-Wrestrict) on " " + string
    figures += std::to_string(value);
    return shown.find(figures + "/4096 locations") != std::string::npos;
  };
  EXPECT_TRUE(drawn(1)) << shown;
  for (const int between : {2, 64, 66, 128}) EXPECT_FALSE(drawn(between)) << between;
  EXPECT_TRUE(drawn(129)) << shown;
  EXPECT_NE(shown.rfind(" 1/4096 locations"), shown.find(" 1/4096 locations")) << shown;
}

}  // namespace
