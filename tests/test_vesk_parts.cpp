// The built vesk on the parts -t names: a write pulses as the part's
// datasheet says and announces its voltages before the first pulse; `types`
// lists every part, as text and as JSON; a name no part has is refused.
#include <gmock/gmock.h>

#include <nlohmann/json.hpp>
#include <regex>

#include "VeskProgram.h"

namespace {

using ::testing::HasSubstr;
using Json = nlohmann::json;

// The most pulses a location took, from a write's summary; 0 when none is given.
int mostPulses(const std::string& output) {
  std::smatch most;
  if (!std::regex_search(output, most, std::regex("Most pulses: ([0-9]+), at 00010\n"))) return 0;
  return std::stoi(most[1]);
}

// A 27C512 is pulsed as its datasheet says (0.1 ms pulses, at most 25), not
// with the window's 1 ms: location 10h needs 2 ms, which takes 20 of the
// datasheet's pulses (fewer when a loaded machine lengthens them), and 2 of
// 1 ms. The voltages to set come between the announcement and the first pulse.
TEST_F(VeskProgram, AWriteUsesThePartsAlgorithmAndAnnouncesItsVoltages) {
  writeFile(path("in.bin"), Bytes(65536, 0x5A));
  const auto [status, errors, output] = run(
      {"write", "-t", "27C512", "--simulate=chip.bin", "--simulate-faults=weak:0x10:20", "in.bin"});
  EXPECT_EQ(status, 0) << errors;
  EXPECT_EQ(errors,
            "Will Write Eprom 27512: 65536 Byte\nWrite Eprom: set VPP to 12.75 V, VCC 6.25 V for "
            "the 27C512\nWrite Eprom: 65536 Byte programmed from in.bin\n");
  EXPECT_THAT(mostPulses(output), testing::AllOf(testing::Ge(3), testing::Le(25))) << output;
  // The part's figures in the JSON object too; a write refused before the
  // board is reached announces nothing.
  const auto [refused, refusal, object] = run({"write", "-t", "m27c256b-10f1", "--json", "--port",
                                               "lpt2", "--simulate=chip.bin", "in.bin"});
  EXPECT_EQ(refused, 2);
  EXPECT_THAT(refusal, testing::Not(HasSubstr("set VPP")));
  const Json report = Json::parse(object);
  EXPECT_EQ(std::tuple(report["type"], report["part"], report["vpp"], report["vcc"]),
            std::tuple(Json("27256"), Json("27C256"), Json(12.75), Json(6.25)));
}

TEST_F(VeskProgram, TypesListsEveryPartWithItsSizeBoardTypeAlgorithmAndVoltages) {
  const auto [status, errors, text] = run({"types"});
  EXPECT_EQ(std::tuple(status, errors), std::tuple(0, ""));
  EXPECT_THAT(text,
              testing::AllOf(
                  HasSubstr("\n27C512                65536   27512  quick       12.75 V 6.25 V\n"),
                  HasSubstr("\n27C010 27C1001 271001 131072  271001 quick"),
                  HasSubstr("\n2716, 2732, 2764, 27128: the datasheet gives one 50 ms pulse"),
                  HasSubstr("Makers' prefixes before the name: AM, AT,")));
  const auto [jsonStatus, jsonErrors, json] = run({"types", "--json"});
  const Json report = Json::parse(json);
  EXPECT_EQ(report["parts"].size(), 15U);
  EXPECT_EQ(report["parts"][5], Json::parse(R"({"names": ["27C64"], "size": 8192, "type": "2764",
      "algorithm": "quick", "vpp": 12.75, "vcc": 6.25})"));
  EXPECT_EQ(report["parts"][0]["note"].get<std::string>().substr(0, 42),
            "the datasheet gives one 50 ms pulse a loca");
  EXPECT_EQ(std::tuple(report["command"], report["status"], jsonStatus),
            std::tuple(Json("types"), Json(0), 0));
  // Types needs no board, and takes no type.
  EXPECT_EQ(run({"types", "-t", "2732"}),
            Result(2,
                   "vesk: -t,--type is not an option of types (only of read, blank, write, "
                   "verify)\n"
                   "Try 'vesk --help'.\n",
                   ""));
}

TEST_F(VeskProgram, ANameNoPartHasIsRefusedNamingIt) {
  for (const std::string name : {"27C16", "Q27C256", "27C2564"}) {
    const auto [status, errors, output] = run({"blank", "-t", name, "--simulate"});
    EXPECT_EQ(status, 2) << name;
    EXPECT_THAT(errors, testing::StartsWith("vesk: unknown type '" + name + "'; the types are "))
        << name;
  }
}

}  // namespace
