#include <gtest/gtest.h>

#include "EpromCatalogue.h"

TEST(Get_Eprom_Size, MatchesTheKeyExactlyBlanksIncluded) {
  EXPECT_EQ(Get_Eprom_Size(" 2716"), 2048);
  EXPECT_EQ(Get_Eprom_Size("27128"), 16384);
  for (const char* unknown : {"2716", " 27128", "2732 ", ""}) EXPECT_EQ(Get_Eprom_Size(unknown), 0);
}
