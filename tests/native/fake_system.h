// A system for the core's tests: real files and code page 932 from the platform underneath,
// with the user interface, processes, paths and time replaced by recorded, scripted fakes.
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
using RealSystem = tolvare::Win32System;
#else
#include "tests/native/native_system.h"
using RealSystem = tolvare::NativeSystem;
#endif

namespace tolvare::testing {

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
    // The windows opened ("list", "list-modal", "editor", "select") and the command lines started;
    // those starting with `failing` fail.
    std::vector<std::wstring> opened;
    std::wstring failing = L"\n", args, exeDir, lockedProfile;  // the instance lock is for `lockedProfile`
    std::function<void()> onEditor, onWait;  // what the user does in the editor, or while start-up waits
    bool anotherInstance = false;
    std::map<std::wstring, std::wstring> shortNames;
    std::map<std::pair<std::wstring, bool>, std::wstring> listings;  // by (pattern, includeDirs)
    std::map<std::wstring, uint32_t> attributes;
    int64_t now = 0, waits = 0;  // waits advance the clock instead of sleeping
    // The calls, counted from 1, at which "create", "write", "replace" (of the profile) and
    // "backup" (its replacement) fail.
    std::map<std::string, std::set<int>> failAt;
    std::map<std::string, int> calls;

    void Beep() override { ++beeps; }
    int MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override {
        boxes.emplace_back(text, title, style);
        const int type = style & 0xF, answer = answers.empty() ? 0 : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer ? answer : type == kMbAbortRetryIgnore ? kIdAbort : type == kMbYesNo ? kIdNo : kIdOk;
    }
    void ShowList(bool modal) override { opened.push_back(modal ? L"list-modal" : L"list"); }
    void ShowEditor() override { opened.push_back(L"editor"), onEditor ? onEditor() : void(); }
    void ShowSelect() override { opened.push_back(L"select"); }
    uint32_t StartProcess(const std::wstring& commandLine, SysError& err) override {
        if (commandLine.starts_with(failing)) return err = {2, ErrorText(2)}, 0;
        return opened.push_back(commandLine), 4242;
    }
    bool AnotherInstanceRunning(const std::wstring& profile) override {
        return lockedProfile = profile, anotherInstance;
    }
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

    bool Fails(const char* op, SysError& err) {
        return failAt[op].contains(++calls[op]) && (err = {5, L"Access is denied."}, true);
    }
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override {
        struct File : OutFile {  // the real file, whose writes fail as scripted
            std::unique_ptr<OutFile> real;
            FakeSystem* fake;
            bool Write(std::string_view bytes, SysError& err) override {
                return !fake->Fails("write", err) && real->Write(bytes, err);
            }
            bool Commit(SysError& err) override { return real->Commit(err); }
        };
        auto file = std::make_unique<File>();
        file->real = Fails("create", err) ? nullptr : RealSystem::CreateOutFile(path, err);
        file->fake = this;
        return file->real ? std::move(file) : nullptr;
    }
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override {
        return !Fails(to.ends_with(L".bk") ? "backup" : "replace", err) &&
               RealSystem::ReplaceFileWith(from, to, err);
    }
};

}  // namespace tolvare::testing
