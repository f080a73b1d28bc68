#include "platform/helper_process.h"

#include "platform/win32/helper_protocol_win32.h"
#include "platform/win32/windows_api.h"

#include <cstdint>
#include <cstring>
#include <io.h>
#include <psapi.h>
#include <string>

namespace {

// How often the parent looks at a helper it is waiting for.
constexpr DWORD pollMilliseconds = 20;

// Sized for whole small images, so that most answers need one wake-up.
constexpr DWORD answerPipeBytes = 1 << 20;

std::wstring programPath() {
    std::wstring path(32768, L'\0');
    const DWORD length = GetModuleFileNameW(nullptr, &path[0], static_cast<DWORD>(path.size()));
    path.resize(length < path.size() ? length : 0);
    return path;
}

std::wstring commandLineFor(const std::vector<const char*>& arguments) {
    std::wstring line = L"\"" + programPath() + L"\"";
    for (const char* argument : arguments) {
        line += L' ';
        for (const char* c = argument; *c; ++c)
            line += static_cast<wchar_t>(static_cast<unsigned char>(*c));
    }
    return line;
}

void closeHandle(HANDLE& handle) {
    if (handle && handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    handle = nullptr;
}

// The answers come through a named pipe, the only kind a parent can wait on with a time limit
// (an anonymous pipe has no overlapped reads). Its name is the parent's own; the first instance
// flag refuses a pipe someone else made under it.
bool makeAnswerPipe(HANDLE& parentEnd, HANDLE& helperEnd) {
    static LONG serial = 0;
    const std::wstring name = L"\\\\.\\pipe\\korvalin-helper-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(InterlockedIncrement(&serial));
    parentEnd = CreateNamedPipeW(
        name.c_str(), PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_BYTE | PIPE_WAIT, 1, answerPipeBytes, answerPipeBytes, 0, nullptr);
    if (parentEnd == INVALID_HANDLE_VALUE) {
        parentEnd = nullptr;
        return false;
    }
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    helperEnd = CreateFileW(name.c_str(), GENERIC_WRITE, 0, &inherited, OPEN_EXISTING, 0, nullptr);
    if (helperEnd != INVALID_HANDLE_VALUE) return true;
    helperEnd = nullptr;
    closeHandle(parentEnd);
    return false;
}

bool makeRequestPipe(HANDLE& parentEnd, HANDLE& helperEnd) {
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    if (!CreatePipe(&helperEnd, &parentEnd, &inherited, 0)) return false;
    return SetHandleInformation(parentEnd, HANDLE_FLAG_INHERIT, 0) != 0;
}

HANDLE makeJob(const HelperLimits& limits) {
    HANDLE job = CreateJobObjectW(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION extended{};
    JOBOBJECT_BASIC_LIMIT_INFORMATION& basic = extended.BasicLimitInformation;
    basic.LimitFlags = JOB_OBJECT_LIMIT_PROCESS_MEMORY | JOB_OBJECT_LIMIT_PROCESS_TIME |
                       JOB_OBJECT_LIMIT_ACTIVE_PROCESS | JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                       JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    basic.ActiveProcessLimit = 1;
    basic.PerProcessUserTimeLimit.QuadPart = LONGLONG{limits.cpuSeconds} * 10000000;
    extended.ProcessMemoryLimit = limits.memoryBytes;
    JOBOBJECT_BASIC_UI_RESTRICTIONS restrictions{};
    restrictions.UIRestrictionsClass =
        JOB_OBJECT_UILIMIT_DESKTOP | JOB_OBJECT_UILIMIT_DISPLAYSETTINGS |
        JOB_OBJECT_UILIMIT_EXITWINDOWS | JOB_OBJECT_UILIMIT_GLOBALATOMS |
        JOB_OBJECT_UILIMIT_HANDLES | JOB_OBJECT_UILIMIT_READCLIPBOARD |
        JOB_OBJECT_UILIMIT_SYSTEMPARAMETERS | JOB_OBJECT_UILIMIT_WRITECLIPBOARD;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &extended,
                                 sizeof extended)) {
        CloseHandle(job);
        return nullptr;
    }
    // Only a further fence: Wine has none of it.
    SetInformationJobObject(job, JobObjectBasicUIRestrictions, &restrictions, sizeof restrictions);
    return job;
}

// The program's own token without its privileges, at low integrity where the system has
// integrity levels (a low process cannot write to the user's files or talk to their windows).
// Null where the system offers neither; the helper then runs with the program's token.
HANDLE makeRestrictedToken() {
    HANDLE own = nullptr, restricted = nullptr;
    if (!OpenProcessToken(
            GetCurrentProcess(),
            TOKEN_DUPLICATE | TOKEN_QUERY | TOKEN_ASSIGN_PRIMARY | TOKEN_ADJUST_DEFAULT, &own))
        return nullptr;
    const BOOL made = CreateRestrictedToken(own, DISABLE_MAX_PRIVILEGE, 0, nullptr, 0, nullptr, 0,
                                            nullptr, &restricted);
    CloseHandle(own);
    if (!made) return nullptr;
    SID_IDENTIFIER_AUTHORITY mandatory = {{0, 0, 0, 0, 0, 16}};
    PSID low = nullptr;
    constexpr DWORD lowIntegrity = 0x1000;
    constexpr auto integrityLevel = static_cast<TOKEN_INFORMATION_CLASS>(25);
    constexpr DWORD integrityGroup = 0x20;
    if (AllocateAndInitializeSid(&mandatory, 1, lowIntegrity, 0, 0, 0, 0, 0, 0, 0, &low)) {
        SID_AND_ATTRIBUTES label{low, integrityGroup};
        // Fails before Vista, which has no integrity levels; the restricted token still holds.
        SetTokenInformation(restricted, integrityLevel, &label, sizeof label + GetLengthSid(low));
        FreeSid(low);
    }
    return restricted;
}

// Where the system can say so (Vista on), only the two pipe ends go to the helper: any other
// handle the program holds that happens to be inheritable (a file the C library opened) stays
// the program's own. The calls are looked up, so that the program still starts on older systems.
class InheritedHandles {
  public:
    InheritedHandles(HANDLE input, HANDLE output) : handles{input, output} {
        HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
        auto initialize = reinterpret_cast<decltype(&InitializeProcThreadAttributeList)>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "InitializeProcThreadAttributeList")));
        auto update = reinterpret_cast<decltype(&UpdateProcThreadAttribute)>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "UpdateProcThreadAttribute")));
        remove = reinterpret_cast<decltype(&DeleteProcThreadAttributeList)>(
            reinterpret_cast<void*>(GetProcAddress(kernel, "DeleteProcThreadAttributeList")));
        SIZE_T size = 0;
        if (!initialize || !update || !remove) return;
        initialize(nullptr, 1, 0, &size);
        storage.resize(size);
        auto* attributes = reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage.data());
        if (size == 0 || !initialize(attributes, 1, 0, &size)) return;
        list = attributes;
        if (!update(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST, handles, sizeof handles, nullptr,
                    nullptr))
            drop();
    }
    ~InheritedHandles() { drop(); }
    InheritedHandles(const InheritedHandles&) = delete;
    InheritedHandles& operator=(const InheritedHandles&) = delete;

    LPPROC_THREAD_ATTRIBUTE_LIST attributes() const { return list; }
    void drop() {
        if (list) remove(list);
        list = nullptr;
    }

  private:
    HANDLE handles[2];
    std::vector<unsigned char> storage;
    LPPROC_THREAD_ATTRIBUTE_LIST list = nullptr;
    decltype(&DeleteProcThreadAttributeList) remove = nullptr;
};

// Each step the system may refuse is dropped in turn: the restricted token, then leaving a job
// the program is in, then naming the inherited handles.
bool createSuspended(std::wstring commandLine, HANDLE input, HANDLE output,
                     PROCESS_INFORMATION& process) {
    STARTUPINFOEXW startup{};
    startup.StartupInfo.cb = sizeof startup;
    // No busy cursor: the helper never shows a window that would end it.
    startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_FORCEOFFFEEDBACK;
    startup.StartupInfo.hStdInput = input;
    startup.StartupInfo.hStdOutput = output;
    InheritedHandles inherited(input, output);
    HANDLE token = makeRestrictedToken();
    // Detached: a console program would otherwise get a console host, a second process in the job.
    constexpr DWORD flags = CREATE_SUSPENDED | DETACHED_PROCESS;
    bool created = false;
    for (int listed = 1; listed >= 0 && !created; --listed) {
        if (!listed) inherited.drop();
        startup.lpAttributeList = inherited.attributes();
        const DWORD extended = startup.lpAttributeList ? EXTENDED_STARTUPINFO_PRESENT : 0;
        auto* info = &startup.StartupInfo;
        for (DWORD more : {DWORD{CREATE_BREAKAWAY_FROM_JOB}, DWORD{0}}) {
            const DWORD all = flags | more | extended;
            created =
                (token && CreateProcessAsUserW(token, nullptr, &commandLine[0], nullptr, nullptr,
                                               TRUE, all, nullptr, nullptr, info, &process)) ||
                CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, TRUE, all, nullptr,
                               nullptr, info, &process);
            if (created) break;
        }
    }
    if (token) CloseHandle(token);
    return created;
}

} // namespace

struct HelperProcess::Handles {
    HANDLE process = nullptr;
    HANDLE job = nullptr;
    HANDLE requests = nullptr;
    HANDLE answers = nullptr;
    HANDLE answerEvent = nullptr;
    HANDLE shared = nullptr;
    const void* sharedView = nullptr;
    std::uint64_t theirShared = 0;
    HelperLimits limits;

    bool shareMemory();

    bool overLimits() const;
    bool finishRead(OVERLAPPED& overlapped, DWORD deadline, DWORD& got);
};

HelperProcess::HelperProcess() : handles(std::make_unique<Handles>()) {}

HelperProcess::~HelperProcess() {
    stop();
}

bool HelperProcess::running() const {
    return handles->process != nullptr;
}

bool HelperProcess::start(const std::vector<const char*>& arguments, const HelperLimits& limits) {
    stop();
    Handles& h = *handles;
    h.limits = limits;
    HANDLE helperInput = nullptr, helperOutput = nullptr;
    PROCESS_INFORMATION process{};
    bool started = makeRequestPipe(h.requests, helperInput) &&
                   makeAnswerPipe(h.answers, helperOutput) &&
                   (h.answerEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr)) != nullptr &&
                   (h.job = makeJob(limits)) != nullptr &&
                   createSuspended(commandLineFor(arguments), helperInput, helperOutput, process);
    closeHandle(helperInput);
    closeHandle(helperOutput);
    if (!started) {
        stop();
        return false;
    }
    h.process = process.hProcess;
    // A helper outside its job would have no limits from the system: it is not let run.
    if (!AssignProcessToJobObject(h.job, h.process)) {
        TerminateProcess(h.process, 1);
        closeHandle(process.hThread);
        stop();
        return false;
    }
    ResumeThread(process.hThread);
    closeHandle(process.hThread);
    // Without it each large answer brings memory of its own.
    h.shareMemory();
    return true;
}

bool HelperProcess::Handles::shareMemory() {
    HANDLE theirs = nullptr;
    shared = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, keptSharedBytes,
                                nullptr);
    if (!shared) return false;
    sharedView = MapViewOfFile(shared, FILE_MAP_READ, 0, 0, keptSharedBytes);
    if (sharedView && DuplicateHandle(GetCurrentProcess(), shared, process, &theirs,
                                      FILE_MAP_READ | FILE_MAP_WRITE, FALSE, 0)) {
        theirShared = reinterpret_cast<std::uintptr_t>(theirs);
        return true;
    }
    if (sharedView) UnmapViewOfFile(sharedView);
    sharedView = nullptr;
    closeHandle(shared);
    return false;
}

bool HelperProcess::send(std::FILE* file, const void* message, std::size_t size) {
    Handles& h = *handles;
    if (!h.process || size > maxMessageSize) return false;
    HANDLE own = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(file)));
    HANDLE theirs = nullptr;
    if (own == INVALID_HANDLE_VALUE ||
        !DuplicateHandle(GetCurrentProcess(), own, h.process, &theirs, GENERIC_READ, FALSE, 0))
        return false;
    std::string bytes(sizeof(RequestHeader) + size, '\0');
    const RequestHeader header{reinterpret_cast<std::uintptr_t>(theirs), h.theirShared,
                               h.theirShared ? keptSharedBytes : 0,
                               static_cast<std::uint32_t>(size)};
    std::memcpy(&bytes[0], &header, sizeof header);
    std::memcpy(&bytes[sizeof header], message, size);
    DWORD written = 0;
    return WriteFile(h.requests, bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) &&
           written == bytes.size();
}

// Wine takes a job's limits without enforcing them; these hold there too.
bool HelperProcess::Handles::overLimits() const {
    PROCESS_MEMORY_COUNTERS memory{};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process, &memory, sizeof memory) &&
        memory.PagefileUsage > limits.memoryBytes)
        return true;
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION accounting{};
    return QueryInformationJobObject(job, JobObjectBasicAccountingInformation, &accounting,
                                     sizeof accounting, nullptr) &&
           accounting.ActiveProcesses > 1;
}

// Waits for a started read until it completes, the deadline passes or the helper oversteps;
// a read that did not complete is cancelled before its buffer is given up.
bool HelperProcess::Handles::finishRead(OVERLAPPED& overlapped, DWORD deadline, DWORD& got) {
    for (bool first = true;; first = false) {
        const DWORD left = static_cast<DWORD>(deadline - GetTickCount());
        const bool late = left == 0 || left > 0x7fffffff;
        if (!late && (first || !overLimits())) {
            const DWORD waited =
                WaitForSingleObject(answerEvent, left < pollMilliseconds ? left : pollMilliseconds);
            if (waited == WAIT_TIMEOUT) continue;
            if (waited == WAIT_OBJECT_0)
                return GetOverlappedResult(answers, &overlapped, &got, FALSE);
        }
        CancelIo(answers);
        GetOverlappedResult(answers, &overlapped, &got, TRUE);
        return false;
    }
}

bool HelperProcess::read(void* buffer, std::size_t size, int milliseconds) {
    Handles& h = *handles;
    if (!h.process) return false;
    const DWORD deadline = GetTickCount() + static_cast<DWORD>(milliseconds > 0 ? milliseconds : 0);
    auto* bytes = static_cast<unsigned char*>(buffer);
    while (size > 0) {
        OVERLAPPED overlapped{};
        overlapped.hEvent = h.answerEvent;
        ResetEvent(h.answerEvent);
        const DWORD chunk = size < (1u << 30) ? static_cast<DWORD>(size) : (1u << 30);
        DWORD got = 0;
        if (!ReadFile(h.answers, bytes, chunk, &got, &overlapped)) {
            if (GetLastError() != ERROR_IO_PENDING || !h.finishRead(overlapped, deadline, got))
                return false;
        }
        if (got == 0) return false;
        bytes += got;
        size -= got;
    }
    return true;
}

bool HelperProcess::takeShared(std::uint64_t name, std::size_t size, MappedBuffer& buffer) {
    Handles& h = *handles;
    if (!h.process) return false;
    if (h.theirShared != 0 && name == h.theirShared) {
        if (size > keptSharedBytes || !buffer.allocate(size)) return false;
        std::memcpy(buffer.data(), h.sharedView, size);
        return true;
    }
    HANDLE section = nullptr;
    return DuplicateHandle(h.process, reinterpret_cast<HANDLE>(static_cast<std::uintptr_t>(name)),
                           GetCurrentProcess(), &section, FILE_MAP_READ, FALSE, 0) &&
           buffer.adoptSection(section, size);
}

bool HelperProcess::stop() {
    Handles& h = *handles;
    bool endedByItself = false;
    if (h.process) {
        endedByItself = WaitForSingleObject(h.process, 0) == WAIT_OBJECT_0;
        TerminateJobObject(h.job, 1);
        WaitForSingleObject(h.process, 5000);
    }
    if (h.sharedView) UnmapViewOfFile(h.sharedView);
    h.sharedView = nullptr;
    h.theirShared = 0;
    for (HANDLE* handle : {&h.process, &h.job, &h.requests, &h.answers, &h.answerEvent, &h.shared})
        closeHandle(*handle);
    return endedByItself;
}
