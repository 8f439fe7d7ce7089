// A system for the core's tests, the fuzzer and the table benchmark: real files and code page 932
// from the platform underneath (Win32 under Wine, iconv natively), with the user interface,
// processes, paths and time replaced by recorded, scripted fakes.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "core/globals.h"
#include "tests/native/files.h"
#ifdef _WIN32
#include "win32/win32_system.h"
#else
#include <glob.h>
#include <iconv.h>

#include <algorithm>
#include <cwctype>
#endif

namespace tolvare::testing {

#ifdef _WIN32
using RealSystem = Win32System;
#else
class RealSystem : public System {
public:
    std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) override {
        // Opening a conversion costs far more than converting a line: each direction is opened once.
        static const iconv_t cd = iconv_open("CP932", "WCHAR_T");
        return Convert(cd, {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)}, "?",
                       lossy);
    }
    std::wstring FromCp932(std::string_view bytes) override {
        static const iconv_t cd = iconv_open("WCHAR_T", "CP932");
        const std::string wide = Convert(cd, bytes, {"\xFB\x30\0\0", sizeof(wchar_t)}, nullptr);  // U+30FB
        return {reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t)};
    }
    std::wstring ToUpper(std::wstring_view text) override {
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        std::wstring out(text);
        for (auto& c : out) c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), utf8));
        return out;
    }

    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override {
        const auto read = test::ReadFileBytes(Native(path));
        bytes = read.value_or("");
        const bool missing = !read && !std::filesystem::exists(Native(path));
        if (!read && !missing) err = {21, L"Is a directory"};
        return read ? ReadStatus::kOk : missing ? ReadStatus::kNotFound : ReadStatus::kFailed;
    }
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError&) override {
        struct File : OutFile {  // written whole on Commit: tests need no flush to the disk
            std::wstring path;
            std::string bytes;
            bool Write(std::string_view more, SysError&) override { return bytes += more, true; }
            bool Commit(SysError&) override { return test::WriteFileBytes(path, bytes); }
        };
        auto file = std::make_unique<File>();
        file->path = Native(path);
        return file;
    }
    bool DeleteFileAt(const std::wstring& path, SysError&) override { return test::RemoveTree(Native(path)); }
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override {
        std::error_code code;
        std::filesystem::rename(Native(from), Native(to), code);
        if (code) err = {13, L"Permission denied"};
        return !code;
    }
    std::wstring LinkTarget(const std::wstring& path) override {
        std::error_code error;
        const auto target = std::filesystem::canonical(Native(path), error);
        return !error && std::filesystem::is_symlink(Native(path), error) ? target.wstring() : path;
    }
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override {
        glob_t found{};
        glob(std::filesystem::path(Native(pattern)).c_str(), 0, nullptr, &found);
        std::vector<std::wstring> names;
        for (const char* path : std::vector(found.gl_pathv, found.gl_pathv + found.gl_pathc))
            if (std::filesystem::is_regular_file(path))
                names.push_back(std::filesystem::path(path).filename().wstring());
        globfree(&found);
        return names;
    }
    std::wstring ErrorText(uint32_t code) override { return L"error " + std::to_wstring(code); }

private:
    // Unconvertible input, one character at a time, becomes `replacement` and sets `lossy`.
    static std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement, bool* lossy) {
        const size_t unit = replacement.size() == 1 ? sizeof(wchar_t) : 1;
        std::string out(in.size() * 4, '\0');
        char *inPtr = const_cast<char*>(in.data()), *outPtr = out.data();
        size_t inLeft = in.size(), outLeft = out.size();
        if (lossy != nullptr) *lossy = false;
        for (iconv(cd, nullptr, nullptr, nullptr, nullptr);
             iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1);) {
            if (lossy != nullptr) *lossy = true;
            outPtr = std::copy(replacement.begin(), replacement.end(), outPtr);
            outLeft -= replacement.size();
            inPtr += std::min(unit, inLeft);
            inLeft -= std::min(unit, inLeft);
        }
        out.resize(static_cast<size_t>(outPtr - out.data()));
        return out;
    }
    // The core's paths are Windows paths: their separators become the POSIX ones.
    static std::wstring Native(std::wstring path) {
        std::replace(path.begin(), path.end(), L'\\', L'/');
        return path;
    }
};

#endif

using ShownBox = std::tuple<std::wstring, std::wstring, unsigned>;  // text, title, style

// A table as its rows' "mark,program,name" joined by " | ", for expectations at a glance.
inline std::wstring RowsOf(const MarkTable& table) {
    std::wstring text;
    for (const auto& r : table.Rows())
        text += (text.empty() ? L"" : L" | ") + r.mark + L"," + r.program + L"," + r.name;
    return text;
}

class FakeSystem : public RealSystem {
public:
    std::vector<ShownBox> boxes;  // answered from `answers`, then with Abort, No or OK
    std::deque<int> answers;
    int beeps = 0;
    std::vector<std::wstring> opened;  // windows ("list", "list-modal", "editor", "select"), programs
    std::wstring args, exeDir;
    std::function<void()> onEditor, onWait;  // what the user does in the editor, or while start-up waits
    std::map<std::wstring, std::wstring> shortNames;
    std::map<std::pair<std::wstring, bool>, std::wstring> listings;  // by (pattern, includeDirs)
    std::map<std::wstring, uint32_t> attributes;
    int64_t now = 0, waits = 0;                  // waits and pauses advance the clock instead of sleeping
    std::function<int(const ShownBox&)> answer;  // when set, answers every box instead of `answers`

    // A text of the fake's own, so that no expectation comes from the platform code under test.
    std::wstring ErrorText(uint32_t code) override { return L"error " + std::to_wstring(code); }
    void Beep() override { ++beeps; }
    int MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override {
        boxes.emplace_back(text, title, style);
        if (answer) return answer(boxes.back());
        const int type = style & 0xF, next = answers.empty() ? 0 : answers.front();
        if (!answers.empty()) answers.pop_front();
        return next ? next : type == kMbAbortRetryIgnore ? kIdAbort : type == kMbYesNo ? kIdNo : kIdOk;
    }
    void ShowList(bool modal) override { opened.push_back(modal ? L"list-modal" : L"list"); }
    void ShowEditor() override { opened.push_back(L"editor"), onEditor ? onEditor() : void(); }
    void ShowSelect() override { opened.push_back(L"select"); }
    // Starts record their command lines in `opened`, the files in `started`; a start answers the
    // error `startError` (740: the program needs administrator rights), the shell `elevatedError`.
    std::vector<std::wstring> started;
    std::wstring self, systemDir = L"C:\\Windows\\System32", windowsDir = L"C:\\Windows", pathVar;
    uint32_t startError = 0, elevatedError = 0;
    uint32_t StartProcess(const std::wstring& application, const std::wstring& commandLine,
                          SysError& err) override {
        if (startError != 0) return err = {startError, ErrorText(startError)}, 0;
        return started.push_back(application), opened.push_back(commandLine), 4242;
    }
    uint32_t StartElevated(const std::wstring& application, const std::wstring& parameters,
                           SysError& err) override {
        if (elevatedError != 0) return err = {elevatedError, ErrorText(elevatedError)}, 0;
        return started.push_back(application), opened.push_back(L"elevated: " + parameters), 4243;
    }
    bool IsThisExe(const std::wstring& path) override { return path == self; }
    std::wstring SystemDirectory() override { return systemDir; }
    std::wstring WindowsDirectory() override { return windowsDir; }
    std::wstring EnvironmentVariable(const std::wstring&) override { return pathVar; }
    bool AnotherInstanceRunning(const std::wstring&) override { return false; }
    std::wstring CommandArgs() override { return args; }
    std::wstring ExeDirectory() override { return exeDir; }
    std::optional<std::wstring> ShortPathName(const std::wstring& path) override {
        return shortNames.contains(path) ? std::optional(shortNames[path]) : std::nullopt;
    }
    std::wstring FirstDirEntry(const std::wstring& pattern, bool dirs) override {
        return listings[{pattern, dirs}];
    }
    std::optional<uint32_t> FileAttributes(const std::wstring& path) override {
        return attributes.contains(path) ? std::optional(attributes[path]) : std::nullopt;
    }
    int64_t MonotonicMs() override { return now; }
    void WaitForEvents(int64_t maxMs) override { now += maxMs, ++waits, onWait ? onWait() : void(); }
    void Pause(int64_t ms) override { now += ms; }

    // File faults. Every file operation (read, create, write, commit, replace, delete, list, link)
    // counts in `fileOps`, from 1. Operation `failAt` fails with `failCode`, and so does every
    // one for `holdMs` after it, and with `holdSame` the same operation on the same file each time
    // it is tried again until another comes between (a file a scanner keeps); from `fullFrom` on
    // every write fails as on a full disk (112); from `stopFrom` on every operation fails, as if
    // the machine had stopped there.
    int fileOps = 0, failAt = 0, fullFrom = 0, stopFrom = 0;
    uint32_t failCode = 5;
    int64_t holdMs = 0, heldUntil = -1;
    bool holdSame = false;
    std::wstring heldOp, failedOp;  // the operation held, and the last one made to fail at `failAt`

    bool Fails(SysError& err, const std::wstring& what, bool writes = false) {
        const int op = ++fileOps;
        if (op == failAt) heldUntil = now + holdMs, heldOp = failedOp = what;
        if (what != heldOp) heldOp.clear();
        const bool held =
            failAt > 0 && (op == failAt || (op > failAt && now < heldUntil) || (holdSame && !heldOp.empty()));
        const bool full = writes && fullFrom > 0 && op >= fullFrom;
        if (!held && !full && (stopFrom == 0 || op < stopFrom)) return false;
        const uint32_t code = full ? 112 : held ? failCode : 5;
        err = {code, ErrorText(code)};
        return true;
    }
    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override {
        return Fails(err, L"read " + path) ? ReadStatus::kFailed
                                           : RealSystem::ReadWholeFile(path, bytes, err);
    }
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override {
        struct File : OutFile {  // the real file, whose writes and commit fail as scripted
            std::unique_ptr<OutFile> real;
            FakeSystem* fake;
            bool Write(std::string_view bytes, SysError& err) override {
                return !fake->Fails(err, L"write", true) && real->Write(bytes, err);
            }
            bool Commit(SysError& err) override { return !fake->Fails(err, L"commit") && real->Commit(err); }
        };
        auto file = std::make_unique<File>();
        file->real = Fails(err, L"create " + path) ? nullptr : RealSystem::CreateOutFile(path, err);
        file->fake = this;
        return file->real ? std::move(file) : nullptr;
    }
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override {
        return !Fails(err, L"replace " + to) && RealSystem::ReplaceFileWith(from, to, err);
    }
    bool DeleteFileAt(const std::wstring& path, SysError& err) override {
        return !Fails(err, L"delete " + path) && RealSystem::DeleteFileAt(path, err);
    }
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override {
        SysError err;
        return Fails(err, L"list") ? std::vector<std::wstring>{} : RealSystem::ListFiles(pattern);
    }
    std::wstring LinkTarget(const std::wstring& path) override {
        SysError err;
        return Fails(err, L"link") ? path : RealSystem::LinkTarget(path);
    }
};

}  // namespace tolvare::testing
