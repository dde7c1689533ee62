#pragma once

// What a reference source is, told by its content and never by its name.
enum class SourceKind {
  MameListXml,    // the output of `mame -listxml`: <mame> -> <machine>
  SoftwareList,   // a MAME software list: <softwarelist> -> <software>
  LogiqxDat,      // <datafile> -> <game> or <machine>
  ClrMameProDat,  // the text DAT: game ( name ... rom ( ... ) )
  Archive,        // one .zip or .7z archive: one set, its members the ROMs
  ImageFolder,    // a folder of ROM images and archives, searched through
};
