// A system for the core's tests: real files and code page 932 from the platform underneath,
// with the user interface, processes, paths and time replaced by recorded, scripted fakes.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#ifdef _WIN32
#include "win32/win32_system.h"
using RealSystem = tolvare::Win32System;
#else
#include "tests/native/native_system.h"
using RealSystem = tolvare::NativeSystem;
#endif

#include "core/system.h"
#include "tests/native/files.h"

namespace tolvare::testing {

struct ShownBox {
    std::wstring text;
    std::wstring title;
    unsigned style;
};

class FakeSystem : public RealSystem {
public:
    // User interface: every box is recorded and answered from the queue (or with its default).
    std::vector<ShownBox> boxes;
    std::deque<int> answers;
    int beeps = 0;
    std::vector<std::wstring> windows;  // "list", "list-modal", "editor", "select"
    std::function<void()> onEditor;     // what the user does in the editor
    std::function<void()> onList;

    // Processes: commands recorded; a program whose command line starts with a failing prefix
    // does not start.
    std::vector<std::wstring> started;
    std::set<std::wstring> failingPrograms;
    bool anotherInstance = false;
    std::wstring lockedProfile;  // the profile the instance lock was asked about
    std::wstring args;
    std::wstring exeDir;

    // Paths: short forms, directory listings and attributes, keyed by the exact path.
    std::map<std::wstring, std::wstring> shortNames;
    std::map<std::pair<std::wstring, bool>, std::wstring> listings;
    std::map<std::wstring, uint32_t> attributes;

    // Time: waits advance a fake clock instead of sleeping.
    int64_t now = 1000;
    std::vector<int64_t> waits;
    std::function<void()> onWait;

    // File failures: the next creations / writes fail this many times.
    int failCreates = 0;
    int failWrites = 0;
    int failReplaces = 0;
    int failBackupReplaces = 0;
    int passWrites = 0;  // writes that succeed before failWrites begin

    void Beep() override { ++beeps; }
    int MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override {
        boxes.push_back({text, title, style});
        if (!answers.empty()) {
            const int a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (style & 0xF) {
        case kMbAbortRetryIgnore: return kIdAbort;
        case kMbYesNo: return kIdNo;
        default: return kIdOk;
        }
    }
    void ShowList(bool modal) override {
        windows.push_back(modal ? L"list-modal" : L"list");
        if (onList) onList();
    }
    void ShowEditor() override {
        windows.push_back(L"editor");
        if (onEditor) onEditor();
    }
    void ShowSelect() override { windows.push_back(L"select"); }

    bool AnotherInstanceRunning(const std::wstring& profile) override {
        lockedProfile = profile;
        return anotherInstance;
    }
    std::wstring CommandArgs() override { return args; }
    std::wstring ExeDirectory() override { return exeDir; }
    uint32_t StartProcess(const std::wstring& commandLine, SysError& err) override {
        for (const auto& p : failingPrograms) {
            if (commandLine.rfind(p, 0) == 0) {
                err = {2, L"The system cannot find the file specified."};
                return 0;
            }
        }
        started.push_back(commandLine);
        return 4242;
    }

    std::optional<std::wstring> ShortPathName(const std::wstring& path) override {
        auto it = shortNames.find(path);
        if (it == shortNames.end()) return std::nullopt;
        return it->second;
    }
    std::wstring FirstDirEntry(const std::wstring& pattern, bool includeDirs) override {
        auto it = listings.find({pattern, includeDirs});
        return it == listings.end() ? std::wstring() : it->second;
    }
    std::optional<uint32_t> FileAttributes(const std::wstring& path) override {
        auto it = attributes.find(path);
        if (it == attributes.end()) return std::nullopt;
        return it->second;
    }

    int64_t MonotonicMs() override { return now; }
    void WaitForEvents(int64_t maxMs) override {
        waits.push_back(maxMs);
        now += maxMs;
        if (onWait) onWait();
    }

    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override;
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override {
        // The backup is replaced before the profile: each has its own failures.
        const bool backup = to.size() >= 3 && to.compare(to.size() - 3, 3, L".bk") == 0;
        if (int& fails = backup ? failBackupReplaces : failReplaces; fails > 0) {
            --fails;
            err = {5, L"Access is denied."};
            return false;
        }
        return RealSystem::ReplaceFileWith(from, to, err);
    }
};

// Installs a system for one test and puts the previous one back.
class ScopedSystem {
public:
    explicit ScopedSystem(System& system) : previous_(&Sys()) { SetSystem(&system); }
    ~ScopedSystem() { SetSystem(previous_); }

private:
    System* previous_;
};

using test::TempDir;

std::string ReadBytes(const std::wstring& path);
void WriteBytes(const std::wstring& path, const std::string& bytes);
bool Exists(const std::wstring& path);

// Code page 932 bytes of a text, as the platform converts it.
std::string Cp932(const std::wstring& text);
// The text as other editors save it: UTF-8, and UTF-16 in either byte order (no byte order mark).
std::string Utf8(const std::wstring& text);
std::string Utf16(const std::wstring& text, bool bigEndian);

}  // namespace tolvare::testing
