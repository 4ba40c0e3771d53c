#pragma once
// The operator reads system errors in the editor's language: the C library's
// own texts (strerror) are English on most systems and would land in the
// middle of a Portuguese sentence.
#include <string>

namespace vorelux {

// The Portuguese text of an errno value; "erro do sistema N" for one without
// a text of its own.
std::string systemErrorText(int errnum);

} // namespace vorelux
