#pragma once
// vesk's results for scripts (--json): each result as one JSON object, on one
// line of standard output. The object starts with "command", then "type" and
// "file" (null where the command has none; split and merge have only
// "file", types neither), the result's facts in a fixed order, and ends with "status", the
// exit status. Addresses, bytes and sizes
// are numbers; hashes and the checksum are hex text, as ROM lists and the
// window print them. A field the result does not have (a chip that was never
// read has no "differences") is left out.

#include <nlohmann/json.hpp>
#include <string>

#include "VeskResults.h"

// "passes"; once saved, the dump's "size", "checksum", "crc32", "sha1",
// "findings": [{"kind", its fields, "text"}], "mame" and "dat" when asked
// for, with --against "identified": [{"source", "set", "description", "rom",
// "size", "crc32", "sha1", "status", "match", "dump_offset", "dump_length",
// "copies", "region", "offset", "loadflag", "byte"}] and "nearest":
// [{"source", "set", "rom", "size", "dump_offset", "dump_length", "bits",
// "locations", "lost_charge", "programmed_extra", "first": [{"address",
// "chip", "reference"}], "findings", "verdict"}] (a text the source does
// not give is null), and "unstable": [{"address", "values", "mask"}].
nlohmann::ordered_json reportOf(const VeskReadResult& result);
// "blank" when the check ran to its end; "first_not_blank": {"address", "value"}.
nlohmann::ordered_json reportOf(const VeskBlankResult& result);
// "part", "vpp" and "vcc" (volts) of the part -t named; "repeated" with
// --repeat (the copies of the file that fill the chip); a refused --over's
// "bits_to_erase", "locations_to_erase" and
// "first_to_erase": [{"address", "chip", "file"}]; "first_not_blank"; "bad":
// {"address", "wanted", "read"}; once programming ran, "pulses": {"1": 4088,
// "3": 8} (only the counts there are, a bad location's among them),
// "stepped_over" with --over or when some were, "most_pulses": {"address",
// "count"} when a location was pulsed, and once the whole chip was read
// back, "verify": {verify's "differences" ... "findings"}.
nlohmann::ordered_json reportOf(const VeskWriteResult& result);
// "passes", "repeated" as write's; once read, "differences" (how many
// locations), "bits_to_program", "bits_to_erase", "first": [{"address",
// "chip", "file"}], "findings": [{"kind", "line" (data-line, address-line),
// "text"}] and "unstable".
nlohmann::ordered_json reportOf(const VeskVerifyResult& result);
// The dump's fields, as read gives them, without "unstable".
nlohmann::ordered_json reportOf(const VeskInfoResult& result);
// "ways" and "written": [{"file", "size", "crc32", "sha1"}].
nlohmann::ordered_json reportOf(const VeskFilesResult& result);
// "parts": [{"names", "size", "type" (the board's), "algorithm", "vpp", "vcc",
// "note" where the datasheet's algorithm does not fit the board}] and
// "prefixes": the makers' prefixes a name may carry.
nlohmann::ordered_json reportOf(const VeskTypesResult& result);

// The object and a newline.
std::string reportLine(const nlohmann::ordered_json& report);
