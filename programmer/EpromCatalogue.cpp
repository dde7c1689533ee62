#include "EpromCatalogue.h"

std::int32_t Get_Eprom_Size(std::string_view key) {
  for (const EpromTypeRow& row : kEpromCatalogue)
    if (key == row.key) return row.size;
  return 0;
}

void Select_Eprom_State(const EpromTypeRow& row, std::string& EpromType, std::int32_t& EpromSize,
                        MemoryImage& EpromImage) {
  EpromType = row.key;
  EpromSize = Get_Eprom_Size(EpromType);
  EpromImage.Recreate(EpromSize);
}
