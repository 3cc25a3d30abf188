#include "program.h"

#include <elf.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace {

// The kernel follows at most this many interpreter lines.
const int kMaxInterpreterDepth = 4;

bool IsExecutableFile(const std::string& path)
{
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && access(path.c_str(), X_OK) == 0;
}

// Whether an ELF file asks for a dynamic loader (a PT_INTERP program header).
template <typename Header, typename ProgramHeader>
bool HasInterpreter(int fd)
{
    Header header;
    if (pread(fd, &header, sizeof header, 0) != sizeof header)
        return false;
    for (unsigned i = 0; i < header.e_phnum; ++i) {
        ProgramHeader entry;
        off_t offset = static_cast<off_t>(header.e_phoff + static_cast<uint64_t>(i) * header.e_phentsize);
        if (pread(fd, &entry, sizeof entry, offset) != sizeof entry)
            return false;
        if (entry.p_type == PT_INTERP)
            return true;
    }
    return false;
}

std::string Why(const std::string& path, int depth)
{
    int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return "";  // exec reports it
    char start[256] = {};
    ssize_t length = pread(fd, start, sizeof start - 1, 0);
    std::string reason;
    if (length > 2 && start[0] == '#' && start[1] == '!') {
        // Set-user-ID bits of scripts are ignored; what runs is the interpreter.
        const char* name = start + 2 + strspn(start + 2, " \t");
        std::string interpreter(name, strcspn(name, " \t\n"));
        if (depth < kMaxInterpreterDepth && !interpreter.empty()) {
            std::string inner = Why(interpreter, depth + 1);
            if (!inner.empty())
                reason = "its interpreter " + interpreter + " " + inner;
        }
    } else {
        struct stat info;
        fstat(fd, &info);
        if ((info.st_mode & S_ISUID) != 0)
            reason = "is set-user-ID";
        else if ((info.st_mode & S_ISGID) != 0 && (info.st_mode & S_IXGRP) != 0)
            reason = "is set-group-ID";
        else if (fgetxattr(fd, "security.capability", nullptr, 0) > 0)
            reason = "has file capabilities";
        else if (length >= SELFMAG && memcmp(start, ELFMAG, SELFMAG) == 0) {
            bool dynamic = start[EI_CLASS] == ELFCLASS64 ? HasInterpreter<Elf64_Ehdr, Elf64_Phdr>(fd)
                                                         : HasInterpreter<Elf32_Ehdr, Elf32_Phdr>(fd);
            if (!dynamic)
                reason = "is statically linked";
        }
    }
    close(fd);
    return reason;
}

}  // namespace

std::string FindProgram(const std::string& name)
{
    if (name.find('/') != std::string::npos)
        return access(name.c_str(), F_OK) == 0 ? name : "";
    const char* path = getenv("PATH");
    std::string folders = path != nullptr ? path : "/bin:/usr/bin";
    std::string found;
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        std::string folder = folders.substr(start, end - start);
        std::string candidate = (folder.empty() ? "." : folder) + "/" + name;
        // Like execvp: the first executable file, else the first file found at all.
        if (IsExecutableFile(candidate))
            return candidate;
        if (found.empty() && access(candidate.c_str(), F_OK) == 0)
            found = candidate;
        start = end + 1;
    }
    return found;
}

std::string WhyNotIntercepted(const std::string& path)
{
    return Why(path, 0);
}
