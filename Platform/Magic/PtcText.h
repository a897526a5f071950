#pragma once
// A plain-text description of an effect file, for the content generator and tests.
//
// One statement per line; '#' starts a comment; tokens are separated by blanks and a
// token holding blanks is written in double quotes (with \" and \\ inside). Blocks
// close with "end"; indentation means nothing.
//
//   atlas FILE WIDTH HEIGHT           a static atlas (anywhere outside emitters)
//   frame X Y WIDTH HEIGHT            a frame of the last atlas
//   folder NAME ... end               a folder, holding folders and emitters
//   emitter NAME ... end              an emitter, with any of:
//     texture_file NAME   seed N   update_time MS   duration MS   interval1 MS
//     interpolation 0|1   loop 0|1|2   spawn_box WIDTH HEIGHT
//     particles ... end               a particle type, with any of:
//       atlas INDEX|none   frame INDEX   intense 0|1   rate PER_SECOND   max COUNT
//       life MIN MAX   speed MIN MAX   angle DEGREES SPREAD   gravity X Y
//       size START END   spin MIN MAX   color START END (hex AARRGGBB, "0x" optional)
//
// Values left out keep the defaults of PtcDocument.h.
#include "Platform/Magic/PtcDocument.h"

#include <string>
#include <string_view>

namespace magic {

// Parses and validates a description. On failure returns false with one line in error
// that names the line number.
bool ParsePtcText(std::string_view text, PtcDocument& document, std::string& error);

} // namespace magic
