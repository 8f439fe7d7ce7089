// The application selection window: one numbered button per registration of the file's
// extension, kept above all other windows; a press opens the file and ends the program.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "launcher/program_icons.h"
#include "win32/window.h"

namespace tolvare {

// Ids of Command_Select(0..9); never 1 or 2, which the dialog manager gives to Enter and Esc.
inline constexpr int kFirstSelectButton = 100;
inline constexpr int kSelectButtonWidthTw = 3315;
inline constexpr int kSelectButtonHeightTw = 315;
// The programs' icons beside the captions: the shell's small icon, 16 px at 96 DPI.
inline constexpr int kSelectIconTw = 240;
// The space on either side of an icon: 4 px at 96 DPI before the caption, and as much between the
// button's edge, where the focus rectangle runs, and the icon.
inline constexpr int kSelectIconGapTw = 60;
// Posted by the icon loader when icons are ready for the buttons.
inline constexpr UINT kSelectIconsReady = WM_APP + 1;

// What unloading the window does to the process. The program ends at once (the list window's
// own unload steps must not run); tests put a harmless action here.
using SelectExitAction = void (*)(unsigned exitCode);
SelectExitAction SetSelectExitAction(SelectExitAction action);

class FormSelect : public Window {
public:
    // Creates the window and runs Form_Load; it is shown by ShowFormSelect.
    bool Create();

    void Form_Load();
    void Form_Activate();
    void Command_Select_Click(int16_t Index);
    void Form_Unload();
    // Starts loading the programs' icons at the window's DPI; they show as they arrive.
    void LoadIcons();

    int ButtonCount() const { return static_cast<int>(Command_Select.size()); }
    HWND Button(int index) const { return Command_Select.at(static_cast<size_t>(index)); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    std::optional<LRESULT> ControlMessage(HWND button, UINT msg, WPARAM wParam, LPARAM lParam) override;
    int IndexOf(HWND control) const;
    bool ChooseByKey(HWND button, WPARAM virtualKey);

    std::vector<HWND> Command_Select;
    ButtonIcons icons_;
    bool unloading_ = false;
    bool busy_ = false;
};

// The program-wide instance (created on first use); null window until it is shown.
FormSelect& Form_select();

// The number of buttons for a selectCount and a table of `rows` rows: at least the design's
// one button, at most ten, never more than the table has rows (a tableless window keeps one).
int SelectButtonCount(int selectCount, int rows);

// Opens the application selection window, modeless; unloading it ends the program.
void ShowFormSelect();

}  // namespace tolvare
