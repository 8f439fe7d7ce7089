// The registered programs' icons on the selection window's buttons: see program_icons.h.
#include "launcher/program_icons.h"

#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <mutex>
#include <system_error>
#include <thread>
#include <utility>

#include "core/paths.h"

namespace tolvare {

namespace {

ProgramIconLoader gLoader = LoadProgramIcon;
int listsAlive = 0;

void FreeList(HIMAGELIST list) {
    if (list != nullptr && ImageList_Destroy(list)) --listsAlive;
}

int IconWidth(HICON icon) {
    ICONINFO info{};
    if (!GetIconInfo(icon, &info)) return 0;
    BITMAP bitmap{};
    const HBITMAP image = info.hbmColor != nullptr ? info.hbmColor : info.hbmMask;
    const int width = GetObjectW(image, sizeof bitmap, &bitmap) != 0 ? bitmap.bmWidth : 0;
    if (info.hbmColor != nullptr) DeleteObject(info.hbmColor);
    if (info.hbmMask != nullptr) DeleteObject(info.hbmMask);
    return width;
}

// The icon at `size` pixels: itself when it already has that size, else a scaled copy.
HICON FitIcon(HICON icon, int size) {
    if (IconWidth(icon) == size) return icon;
    HICON fitted = static_cast<HICON>(CopyImage(icon, IMAGE_ICON, size, size, 0));
    if (fitted == nullptr) return icon;
    DestroyIcon(icon);
    return fitted;
}

}  // namespace

HICON LoadProgramIcon(const std::wstring& program, int size) {
    // The file a press would start, found the same way: a name is never looked for in the
    // current folder, and a quoted program or one with arguments still shows its icon.
    const std::optional<std::wstring> file = ProgramFile(program);
    if (!file) return nullptr;
    const std::wstring& path = *file;
    // A program's own first icon is what the shell shows for it. It is asked for by itself, at
    // the size wanted: SHGetFileInfoW answers for the type (Wine gives every exe the generic
    // document icon) and only at the system's two sizes.
    HICON icon = nullptr;
    if (SHDefExtractIconW(path.c_str(), 0, 0, &icon, nullptr, MAKELONG(size, size)) == S_OK &&
        icon != nullptr) {
        return icon;
    }
    SHFILEINFOW info{};
    const UINT which = size <= GetSystemMetrics(SM_CXSMICON) ? SHGFI_SMALLICON : SHGFI_LARGEICON;
    if (SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | which) == 0 ||
        info.hIcon == nullptr) {
        return nullptr;
    }
    return FitIcon(info.hIcon, size);
}

ProgramIconLoader SetProgramIconLoader(ProgramIconLoader loader) {
    const ProgramIconLoader previous = gLoader;
    gLoader = loader != nullptr ? loader : LoadProgramIcon;
    return previous;
}

// Shared by the window's thread and the loading threads. A loading thread hands an icon over only
// while its generation is the latest, and posts to the window under the lock: the window moves
// the generation on (under the same lock) before it is destroyed, so no thread ever posts to a
// window that is gone, and every icon has exactly one owner.
struct ButtonIcons::Mailbox {
    std::mutex lock;
    unsigned generation = 0;
    HWND window = nullptr;
    UINT message = 0;
    std::vector<std::pair<size_t, HICON>> ready;  // of the latest generation only

    // Destroys the icons not yet delivered; the caller holds the lock.
    void DropReady() {
        for (const auto& entry : ready) DestroyIcon(entry.second);
        ready.clear();
    }
};

ButtonIcons::ButtonIcons() : mailbox_(std::make_shared<Mailbox>()) {}

ButtonIcons::~ButtonIcons() { Clear(); }

int ButtonIcons::ListsAlive() { return listsAlive; }

void ButtonIcons::Load(HWND window, UINT message, std::vector<HWND> buttons, std::vector<std::wstring> paths,
                       int size, int margin) {
    margin_ = margin;
    unsigned generation = 0;
    {
        std::lock_guard<std::mutex> hold(mailbox_->lock);
        generation = ++mailbox_->generation;
        mailbox_->window = window;
        mailbox_->message = message;
        mailbox_->DropReady();
    }
    shown_.resize(buttons.size(), nullptr);
    buttons_ = std::move(buttons);
    try {
        std::thread(LoadInBackground, mailbox_, generation, std::move(paths), size, gLoader).detach();
    } catch (const std::system_error&) {
        // No thread, no icons: the buttons look as they always did.
    }
}

void ButtonIcons::Deliver() {
    std::vector<std::pair<size_t, HICON>> ready;
    {
        std::lock_guard<std::mutex> hold(mailbox_->lock);
        ready.swap(mailbox_->ready);
    }
    for (const auto& [index, icon] : ready) {
        // An image list of its own per button: unlike a bare icon (BM_SETIMAGE), it carries the
        // margins that keep the icon apart from the caption and from the focus rectangle.
        HIMAGELIST list = nullptr;
        if (index < buttons_.size()) {
            const int width = IconWidth(icon);
            list = ImageList_Create(width, width, ILC_COLOR32 | ILC_MASK, 1, 0);
        }
        if (list != nullptr) {
            ++listsAlive;
            if (ImageList_AddIcon(list, icon) < 0) {
                FreeList(list);
                list = nullptr;
            }
        }
        DestroyIcon(icon);
        if (list == nullptr) continue;
        BUTTON_IMAGELIST image{list, {margin_, 0, margin_, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
        SendMessageW(buttons_[index], BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
        InvalidateRect(buttons_[index], nullptr, TRUE);  // the button does not repaint by itself
        FreeList(shown_[index]);
        shown_[index] = list;
    }
}

void ButtonIcons::Clear() {
    {
        std::lock_guard<std::mutex> hold(mailbox_->lock);
        ++mailbox_->generation;
        mailbox_->window = nullptr;
        mailbox_->DropReady();
    }
    for (HIMAGELIST list : shown_) FreeList(list);
    shown_.clear();
    buttons_.clear();
}

void ButtonIcons::LoadInBackground(const std::shared_ptr<Mailbox>& mailbox, unsigned generation,
                                   const std::vector<std::wstring>& paths, int size,
                                   ProgramIconLoader loader) {
    // The shell's lookups by file type need COM on the calling thread.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    try {
        for (size_t i = 0; i < paths.size(); ++i) {
            {
                std::lock_guard<std::mutex> hold(mailbox->lock);
                if (mailbox->generation != generation) break;
            }
            // Nothing is locked while a slow path keeps the loader waiting.
            HICON icon = loader(paths[i], size);
            if (icon == nullptr) continue;
            std::lock_guard<std::mutex> hold(mailbox->lock);
            if (mailbox->generation != generation) {
                DestroyIcon(icon);
                break;
            }
            mailbox->ready.emplace_back(i, icon);
            PostMessageW(mailbox->window, mailbox->message, 0, 0);
        }
    } catch (...) {
        // Out of memory: the icons that did not arrive are simply not shown.
    }
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace tolvare
