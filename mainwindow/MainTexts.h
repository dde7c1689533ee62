#pragma once

// The fixed texts of the main window: caption, boxes and dialog settings.

// Caption: the product, then the credit (a name and a call sign in round
// brackets), then two blanks.
inline constexpr const char* kCaption =
    "Vesk Eprom Programmer V1.1  -  by The VeskEprom Developers (Q0VESK)  ";

inline constexpr const char* kAboutTitle = "About";
inline constexpr const char* kAboutText =
    "Vesk Eprom Programmer\r"
    "         Ver 1.0\r"
    "             by\r"
    "THE VESKEPROM DEVELOPERS\r"
    "         (Q0VESK)\r"
    "  Veskville, Linuxland\r"
    "\r"
    "E-mail: developers@veskeprom.invalid\r"
    "Home page: https://veskeprom.invalid/";

inline constexpr const char* kWhatsVeskTitle = "What's VESK?";
inline constexpr const char* kWhatsVeskText = "V(ersatile) E(prom) S(oftware) K(it)";

// The warnings' title, kWarningTitle, is the chip's refusals' too: programmer/Commands.h.
inline constexpr const char* kHexFileWarning =
    "VeskEprom does Not support directly *.HEX File\r"
    "It will be Converted in *.BIN File\r"
    "............Done!\r"
    "ReOpen it as .BIN";
inline constexpr const char* kSaveBeforeEditing = "You Must Save the File before Editing !";
inline constexpr const char* kConversionDoneTitle = "Conversion Done !";
inline constexpr const char* kConversionDoneText = "The File has been converted";

// A program that cannot be started. (A file that cannot be read or written:
// programmer/ImageFiles.h, shared with vesk.)
inline constexpr const char* kNotStartedTitle = "Program not started";
inline constexpr const char* kNotStartedLead = "Cannot start ";

// The programs started from the window, by the names they are looked for.
inline constexpr const char* kConverterProgram = "zeza";
inline constexpr const char* kHexEditorProgram = "hedit.exe";
inline constexpr const char* kCrc32Program = "crc32.exe";

inline constexpr const char* kDefaultFileName = "default.bin";
