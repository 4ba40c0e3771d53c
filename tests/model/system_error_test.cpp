#include "model/system_error.h"

#include <cerrno>
#include <cstring>

#include <gtest/gtest.h>

namespace vorelux {
namespace {

// Every errno a file, a port or a connection meets reads in Portuguese, never
// as the C library's English; an unknown one still says what it is.
TEST(SystemErrorText, CommonErrorsArePortuguese) {
    for (int errnum :
         {ENOENT,       EACCES,       EPERM,      EISDIR, ENOTDIR, ENOSPC, EROFS,        EBUSY,
          EEXIST,       ENAMETOOLONG, ELOOP,      EIO,    ENXIO,   ENODEV, ECONNREFUSED, ETIMEDOUT,
          EHOSTUNREACH, ENETUNREACH,  ECONNRESET, EPIPE,  EAGAIN,  EINVAL, EMFILE,       ENOMEM}) {
        const std::string text = systemErrorText(errnum);
        EXPECT_FALSE(text.empty()) << errnum;
        EXPECT_NE(text, std::strerror(errnum)) << errnum;
        EXPECT_EQ(text.find("erro do sistema"), std::string::npos) << errnum << ": " << text;
    }
    EXPECT_EQ(systemErrorText(ENOENT), "arquivo ou pasta inexistente");
    EXPECT_EQ(systemErrorText(ECONNREFUSED), "conexão recusada");
    EXPECT_EQ(systemErrorText(987654), "erro do sistema 987654");
}

} // namespace
} // namespace vorelux
