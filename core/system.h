// The operating system as the core sees it: files, code page 932, paths, processes, message
// boxes and the program's windows. The Win32 implementation is the product; the POSIX one lets
// the core run its tests natively with sanitizers.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvare {

// An error as the platform reported it: its code and its own description (no trailing CR LF).
struct SysError {
    uint32_t code = 0;
    std::wstring text;
};

// Message box styles and answers, with the platform's values.
enum : unsigned {
    kMbOk = 0x0,
    kMbAbortRetryIgnore = 0x2,
    kMbYesNo = 0x4,
    kMbIconStop = 0x10,
    kMbIconQuestion = 0x20,
    kMbIconExclamation = 0x30,
};
enum : int { kIdOk = 1, kIdCancel = 2, kIdAbort = 3, kIdRetry = 4, kIdIgnore = 5, kIdYes = 6, kIdNo = 7 };

inline constexpr uint32_t kAttrDirectory = 0x10;

// A file being written. Commit flushes it to the disk and closes it; a file dropped without a
// successful Commit is closed and may be incomplete.
class OutFile {
public:
    virtual ~OutFile() = default;
    virtual bool Write(std::string_view bytes, SysError& err) = 0;
    virtual bool Commit(SysError& err) = 0;
};

enum class ReadStatus { kOk, kNotFound, kFailed };

class System {
public:
    virtual ~System() = default;

    // Code page 932, named explicitly: never the process's ANSI code page. `lossy` is set when a
    // character has no exact form in 932 (it is then replaced by the default character).
    virtual std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) = 0;
    virtual std::wstring FromCp932(std::string_view bytes) = 0;
    // Upper case as the platform's user interface converts it.
    virtual std::wstring ToUpper(std::wstring_view text) = 0;

    // Files. ReadWholeFile reports kNotFound for a missing file (or folder on its path).
    virtual ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) = 0;
    virtual std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) = 0;
    virtual bool DeleteFileAt(const std::wstring& path, SysError& err) = 0;
    // Puts `from` in the place of `to` in one step: `to` is either the old or the new file.
    virtual bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) = 0;
    // The file a path finally names once symbolic links are followed; the path itself when it
    // names no link or the link cannot be followed.
    virtual std::wstring LinkTarget(const std::wstring& path) = 0;

    // Paths. ShortPathName gives nothing when the platform has no short form.
    virtual std::optional<std::wstring> ShortPathName(const std::wstring& path) = 0;
    // The (long) name of the first directory entry matching `pattern`, or "" when none does.
    // A pattern ending in "\" lists that folder's contents. Without `includeDirs` only files are
    // returned. Hidden and system entries are listed too.
    virtual std::wstring FirstDirEntry(const std::wstring& pattern, bool includeDirs) = 0;
    virtual std::optional<uint32_t> FileAttributes(const std::wstring& path) = 0;
    // The names of the plain files in a folder that match a pattern ("C:\dir\name.*").
    virtual std::vector<std::wstring> ListFiles(const std::wstring& pattern) = 0;

    // The process.
    // Whether another TOLVARE already works on this profile file. The first caller becomes the
    // running instance for as long as the process lives.
    virtual bool AnotherInstanceRunning(const std::wstring& profilePath) = 0;
    // The command line after the program's own name and the blanks behind it, verbatim.
    virtual std::wstring CommandArgs() = 0;
    virtual std::wstring ExeDirectory() = 0;
    // Starts `application` (a full path, never searched for) with the command line, in a normal,
    // activated window; returns the process id, 0 on failure. Never waits for the process.
    virtual uint32_t StartProcess(const std::wstring& application, const std::wstring& commandLine,
                                  SysError& err) = 0;
    // Starts `application` through the shell, which asks the user's consent for a program that
    // needs administrator rights; non-zero once it runs (its id where the shell tells it).
    virtual uint32_t StartElevated(const std::wstring& application, const std::wstring& parameters,
                                   SysError& err) = 0;
    // Whether the file is this very program's exe, however its path is spelled.
    virtual bool IsThisExe(const std::wstring& path) = 0;
    // Where programs named without a folder are looked for, besides the exe's own folder.
    virtual std::wstring SystemDirectory() = 0;
    virtual std::wstring WindowsDirectory() = 0;
    virtual std::wstring EnvironmentVariable(const std::wstring& name) = 0;
    virtual std::wstring ErrorText(uint32_t code) = 0;

    // Time and events: a monotonic clock, and a wait that keeps the program's windows working.
    virtual int64_t MonotonicMs() = 0;
    virtual void WaitForEvents(int64_t maxMs) = 0;
    // A pause that handles no events: nothing the user does can start another step meanwhile.
    virtual void Pause(int64_t ms) = 0;

    // User interface. Message boxes are owned by the program's active window.
    virtual void Beep() = 0;
    virtual int MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) = 0;
    // The registration list: modeless returns at once, modal once it is closed.
    virtual void ShowList(bool modal) = 0;
    // The registration editor, always modal.
    virtual void ShowEditor() = 0;
    // The application selection window, modeless.
    virtual void ShowSelect() = 0;
};

// The one system of the program, set once by the entry point (or by a test).
System& Sys();
void SetSystem(System* system);

}  // namespace tolvare
