#pragma once
// Writes a PtcDocument as a ".ptc" effect file (the layout is documented with the reader).
#include "Platform/Magic/PtcDocument.h"

#include <string>
#include <vector>

namespace magic {

// Validates the document first: an invalid one gives false with the reason in error,
// so the writer never produces a file the reader would refuse.
bool WritePtcDocument(const PtcDocument& document, std::vector<unsigned char>& out, std::string& error);

} // namespace magic
