// The helper process's side of HelperProcess: its requests, its answers, and how it ends.
#include "platform/helper_process.h"

#include "platform/win32/helper_protocol_win32.h"
#include "platform/win32/windows_api.h"

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

// A file the helper may read into memory: beyond any image it could decode within its limits.
constexpr std::uint64_t maxFileBytes = std::uint64_t{1} << 30;

HANDLE requestPipe = nullptr;
HANDLE answerPipe = nullptr;
// The memory the parent keeps mapped, once the first request has named it.
std::uint64_t keptShared = 0;
void* keptSharedView = nullptr;
std::size_t keptSharedSize = 0;

void mapKeptShared(const RequestHeader& header) {
    if (keptShared != 0 || header.sharedMemory == 0) return;
    HANDLE section = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(header.sharedMemory));
    keptSharedView = MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, header.sharedBytes);
    if (!keptSharedView) return;
    keptShared = header.sharedMemory;
    keptSharedSize = header.sharedBytes;
}
constexpr UINT crashExitCode = 3;

LONG WINAPI endAtOnce(EXCEPTION_POINTERS*) {
    TerminateProcess(GetCurrentProcess(), crashExitCode);
    return EXCEPTION_EXECUTE_HANDLER;
}

void endOnAbort(int) {
    TerminateProcess(GetCurrentProcess(), crashExitCode);
}

bool readExactly(HANDLE from, void* buffer, std::size_t size) {
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        DWORD got = 0;
        const DWORD chunk = size < (1u << 30) ? static_cast<DWORD>(size) : (1u << 30);
        if (!ReadFile(from, bytes, chunk, &got, nullptr) || got == 0) return false;
        bytes += got;
        size -= got;
    }
    return true;
}

bool readWholeFile(HANDLE file, MappedBuffer& bytes) {
    LARGE_INTEGER size{};
    return GetFileSizeEx(file, &size) && size.QuadPart > 0 &&
           static_cast<std::uint64_t>(size.QuadPart) <= maxFileBytes &&
           bytes.allocate(static_cast<std::size_t>(size.QuadPart)) &&
           readExactly(file, bytes.data(), bytes.size());
}

} // namespace

void enterHelperMode() {
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX);
    SetUnhandledExceptionFilter(endAtOnce);
    std::signal(SIGABRT, endOnAbort);
    // The pipes are the helper's own from here: nothing the libraries print can reach the answers.
    HANDLE self = GetCurrentProcess();
    DuplicateHandle(self, GetStdHandle(STD_INPUT_HANDLE), self, &requestPipe, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    DuplicateHandle(self, GetStdHandle(STD_OUTPUT_HANDLE), self, &answerPipe, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    std::freopen("NUL", "rb", stdin);
    std::freopen("NUL", "wb", stdout);
    std::freopen("NUL", "wb", stderr);
    SetStdHandle(STD_INPUT_HANDLE, nullptr);
    SetStdHandle(STD_OUTPUT_HANDLE, nullptr);
}

bool receiveHelperRequest(MappedBuffer& fileBytes, void* message, std::size_t capacity) {
    RequestHeader header{};
    if (!readExactly(requestPipe, &header, sizeof header) || header.messageSize > maxMessageSize)
        return false;
    unsigned char bytes[maxMessageSize];
    if (!readExactly(requestPipe, bytes, header.messageSize)) return false;
    mapKeptShared(header);
    std::memset(message, 0, capacity);
    std::memcpy(message, bytes, header.messageSize < capacity ? header.messageSize : capacity);
    HANDLE file = reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(header.file));
    if (!readWholeFile(file, fileBytes)) fileBytes = MappedBuffer();
    CloseHandle(file);
    return true;
}

std::uint64_t shareWithParent(const MappedBuffer& buffer) {
    if (buffer.section()) return reinterpret_cast<std::uintptr_t>(buffer.section());
    if (!keptSharedView || buffer.size() > keptSharedSize) return 0;
    std::memcpy(keptSharedView, buffer.data(), buffer.size());
    return keptShared;
}

bool writeHelperAnswer(const void* data, std::size_t size) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        DWORD written = 0;
        const DWORD chunk = size < (1u << 30) ? static_cast<DWORD>(size) : (1u << 30);
        if (!WriteFile(answerPipe, bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        size -= written;
    }
    return true;
}
