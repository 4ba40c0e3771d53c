#include "model/system_error.h"

#include <cerrno>

namespace vorelux {

namespace {

struct ErrnoText {
    int errnum;
    const char* text;
};

// Values a file, a serial port or a network port meets; some systems give two
// names the same value, so the table is searched rather than switched on.
const ErrnoText Texts[] = {
    {ENOENT, "arquivo ou pasta inexistente"},
    {EACCES, "permissão negada"},
    {EPERM, "operação não permitida"},
    {EISDIR, "é uma pasta"},
    {ENOTDIR, "uma parte do caminho não é uma pasta"},
    {ENOSPC, "não há espaço livre no disco"},
    {EROFS, "o disco é somente leitura"},
    {EBUSY, "o dispositivo ou recurso está ocupado"},
    {EEXIST, "o arquivo já existe"},
    {ENAMETOOLONG, "nome de arquivo longo demais"},
    {ELOOP, "atalhos simbólicos demais no caminho"},
    {EIO, "erro de entrada e saída no dispositivo"},
    {ENXIO, "dispositivo ou endereço inexistente"},
    {ENODEV, "dispositivo inexistente"},
    {ECONNREFUSED, "conexão recusada"},
    {ETIMEDOUT, "tempo de conexão esgotado"},
    {EHOSTUNREACH, "o computador não pode ser alcançado"},
    {ENETUNREACH, "a rede não pode ser alcançada"},
    {ECONNRESET, "conexão encerrada pelo outro lado"},
    {EPIPE, "a conexão foi fechada"},
    {EAGAIN, "recurso temporariamente indisponível"},
    {EINVAL, "argumento inválido"},
    {EMFILE, "arquivos abertos demais"},
    {ENFILE, "arquivos abertos demais no sistema"},
    {ENOMEM, "memória insuficiente"},
    {EBADF, "descritor de arquivo inválido"},
    {EFBIG, "arquivo grande demais"},
    {EINTR, "chamada interrompida"},
    {ENOTEMPTY, "a pasta não está vazia"},
    {EXDEV, "não é possível mover entre discos diferentes"},
    {ETXTBSY, "o arquivo está em uso"},
    {EADDRINUSE, "o endereço já está em uso"},
    {ENOTCONN, "não conectado"},
    {ECONNABORTED, "conexão interrompida"},
    {ENETDOWN, "a rede está fora do ar"},
#ifdef EDQUOT
    {EDQUOT, "a cota de disco acabou"},
#endif
    {ENOTTY, "não é um terminal"},
    {EOPNOTSUPP, "operação não suportada"},
};

} // namespace

std::string systemErrorText(int errnum) {
    for (const ErrnoText& entry : Texts)
        if (entry.errnum == errnum) return entry.text;
    return "erro do sistema " + std::to_string(errnum);
}

} // namespace vorelux
