#include "EpromCatalogue.h"

std::int32_t Get_Eprom_Size(std::string_view key) {
  for (const EpromTypeRow& row : kEpromCatalogue)
    if (key == row.key) return row.size;
  return 0;
}

void selectEpromState(const EpromTypeRow& row, std::string& epromType, std::int32_t& epromSize,
                      MemoryImage& epromImage) {
  epromType = row.key;
  epromSize = Get_Eprom_Size(epromType);
  epromImage.recreate(epromSize);
}
