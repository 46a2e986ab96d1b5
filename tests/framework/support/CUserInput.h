// Input as a person gives it, through the program's own message loop: a key
// goes to the window that has the focus when it arrives, with the modifier
// keys held in the thread's key state (so accelerators, menus and dialog
// navigation see them as they would see the keyboard); a click first tells
// the window it lands on that it activates it, then presses and releases
// the button there. Every step is dispatched through the thread's
// PreTranslateMessage, as the program's loop does.
#pragma once

#include <windows.h>

class CUserInput
{
public:
    // Modifier flags of Key.
    enum
    {
        shift = 1,
        ctrl = 2,
        alt = 4
    };

    // Presses and releases one key, with the modifiers held down.
    static void Key(UINT nVirtKey, UINT nModifiers = 0);
    // Types the characters one key at a time (letters, digits, blanks).
    static void Type(LPCSTR lpszText);
    // A left click (or double click) at a point of a window's client area.
    static void Click(HWND hWnd, POINT ptClient, BOOL bDouble = FALSE);
    // Dispatches what is queued the way the program's loop does.
    static void Pump();

private:
    static void SetModifiers(UINT nModifiers);
    static void PostKey(UINT nMessage, UINT nVirtKey, BOOL bUp, BOOL bAlt);
};
