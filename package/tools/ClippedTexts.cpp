// Measures the texts of another program's dialog as the dialog draws them.
// A font handle belongs to the process that made it, so the controls' font
// cannot be borrowed: it is made again from the dialog's template, read
// from the program's file, as the dialog manager makes it for every
// control of the dialog (the program gives none of them another font).
#include "ClippedTexts.h"
#include <cstdio>
#include <cstring>

namespace {
// The font a dialog template names: its face and size in points.
struct TemplateFont {
    WCHAR face[LF_FACESIZE];
    WORD points;
    WORD weight;
    BYTE italic;
};

// A cursor over a DLGTEMPLATEEX; a read past its end sets failed.
struct TemplateReader {
    const BYTE *at;
    const BYTE *end;
    bool failed;

    WORD Word() {
        if (end - at < 2) {
            failed = true;
            return 0;
        }
        WORD value = (WORD)(at[0] | at[1] << 8);
        at += 2;
        return value;
    }
    void Skip(size_t bytes) {
        if ((size_t)(end - at) < bytes)
            failed = true;
        else
            at += bytes;
    }
    // A text or an ordinal (0xFFFF and a number), copied into out when given.
    void Text(WCHAR *out, size_t size) {
        WORD first = Word();
        if (first == 0xFFFF) {
            Word();
            first = 0;
        }
        size_t length = 0;
        for (WORD unit = first; unit != 0 && !failed; unit = Word())
            if (out && length + 1 < size)
                out[length++] = unit;
        if (out && size)
            out[length] = 0;
    }
};

// Reads caption and font of an extended dialog template; false for another
// kind of template or one without a font.
bool ReadTemplate(const BYTE *data, DWORD size, WCHAR *caption, size_t captionSize,
                  TemplateFont &font) {
    TemplateReader in = {data, data + size, false};
    if (in.Word() != 1 || in.Word() != 0xFFFF)
        return false;
    in.Skip(4 + 4); // help id, extended style
    DWORD style = in.Word();
    style |= (DWORD)in.Word() << 16;
    in.Skip(2 + 4 * 2); // item count, place and size
    in.Text(nullptr, 0); // menu
    in.Text(nullptr, 0); // window class
    in.Text(caption, captionSize);
    if (!(style & DS_SETFONT))
        return false;
    font.points = in.Word();
    font.weight = in.Word();
    font.italic = (BYTE)(in.Word() & 0xFF); // italic, then the character set
    in.Text(font.face, LF_FACESIZE);
    return !in.failed;
}

struct TemplateSearch {
    WCHAR title[256];
    TemplateFont font;
    bool found;
};

BOOL CALLBACK MatchTemplate(HMODULE module, LPCWSTR type, LPWSTR name, LONG_PTR context) {
    auto *search = reinterpret_cast<TemplateSearch *>(context);
    HRSRC resource = FindResourceW(module, name, type);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
    const BYTE *data = loaded ? static_cast<const BYTE *>(LockResource(loaded)) : nullptr;
    WCHAR caption[256] = {};
    TemplateFont font = {};
    if (data && ReadTemplate(data, SizeofResource(module, resource), caption, 256, font) &&
        lstrcmpW(caption, search->title) == 0) {
        search->font = font;
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

// The font of the template whose caption is the window's title, made as the
// dialog manager makes it for the screen.
HFONT DialogFont(HWND window) {
    TemplateSearch search = {};
    GetWindowTextW(window, search.title, 256);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process);
    WCHAR path[MAX_PATH] = {};
    DWORD length = MAX_PATH;
    bool named = handle && QueryFullProcessImageNameW(handle, 0, path, &length);
    if (handle)
        CloseHandle(handle);
    HMODULE module = named ? LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
    if (!module)
        return nullptr;
    EnumResourceNamesW(module, MAKEINTRESOURCEW(5), MatchTemplate,
                       reinterpret_cast<LONG_PTR>(&search)); // 5: RT_DIALOG
    FreeLibrary(module);
    if (!search.found)
        return nullptr;
    HDC screen = GetDC(nullptr);
    int pixels = MulDiv(search.font.points, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    return CreateFontW(-pixels, 0, 0, 0, search.font.weight, search.font.italic, FALSE, FALSE,
                       DEFAULT_CHARSET, 0, 0, PROOF_QUALITY, FF_DONTCARE, search.font.face);
}

// The width a button leaves its text, as the system's buttons lay it out at
// 96 dpi: a push button draws its label 2 px inside its frame (3 px for the
// default button), a group box 7 px from either end of its frame, a check
// box or radio button after its 13 px mark and half a digit's width; every
// label keeps a margin of 1 px on each side.
int ButtonTextRoom(HDC dc, LONG style, int width) {
    const int margins = 2;
    switch (style & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
        return width - 2 * 2 - margins;
    case BS_DEFPUSHBUTTON:
        return width - 2 * 3 - margins;
    case BS_GROUPBOX:
        return width - 2 * 7 - margins;
    default: {
        INT digit = 0;
        GetCharWidth32A(dc, '0', '0', &digit);
        return width - 13 - digit / 2 - margins;
    }
    }
}

// A static text of these kinds wraps at word breaks within its width; the
// others keep to one line.
bool StaticWraps(LONG style) {
    LONG kind = style & SS_TYPEMASK;
    return kind == SS_LEFT || kind == SS_CENTER || kind == SS_RIGHT;
}

struct Measuring {
    HWND window;
    HDC dc;
    int clipped;
};

// Measures one child of the dialog: prints it when its text needs more room
// than it has, as 'clipped: ID "TEXT" needs W x H px, has W x H px', or when
// the control reaches past the dialog's client area.
BOOL CALLBACK MeasureControl(HWND control, LPARAM context) {
    auto *measuring = reinterpret_cast<Measuring *>(context);
    char className[32] = {};
    GetClassNameA(control, className, sizeof className);
    bool isStatic = lstrcmpiA(className, "Static") == 0;
    bool isButton = lstrcmpiA(className, "Button") == 0;
    LONG style = GetWindowLongA(control, GWL_STYLE);
    LONG kind = style & SS_TYPEMASK;
    if (isStatic && kind > SS_RIGHT && kind != SS_SIMPLE && kind != SS_LEFTNOWORDWRAP)
        return TRUE; // an icon, a frame or a picture: no text
    char text[512] = {};
    if ((!isStatic && !isButton) || !IsWindowVisible(control) ||
        GetWindowTextA(control, text, sizeof text) <= 0)
        return TRUE;

    // A control that reaches past its window's client area is cut there,
    // and its text with it (a window restored to a fixed size smaller
    // than its dialog).
    RECT place, inside;
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, measuring->window, reinterpret_cast<POINT *>(&place), 2);
    GetClientRect(measuring->window, &inside);
    if (place.left < inside.left || place.top < inside.top || place.right > inside.right ||
        place.bottom > inside.bottom) {
        RECT shown;
        IntersectRect(&shown, &place, &inside);
        printf("clipped: %d \"%s\" is cut by its window: %ld x %ld px of %ld x %ld px show\n",
               GetDlgCtrlID(control), text, shown.right - shown.left, shown.bottom - shown.top,
               place.right - place.left, place.bottom - place.top);
        ++measuring->clipped;
        return TRUE;
    }
    RECT client;
    GetClientRect(control, &client);
    int room = isButton ? ButtonTextRoom(measuring->dc, style, client.right) : client.right;
    UINT format = DT_CALCRECT | DT_EXPANDTABS;
    if (isStatic && (style & SS_NOPREFIX))
        format |= DT_NOPREFIX;
    RECT line = {0, 0, 0, 0};
    DrawTextA(measuring->dc, text, -1, &line, format | DT_SINGLELINE);
    bool fits = line.right <= room && (isButton || line.bottom <= client.bottom);
    if (!fits && isStatic && StaticWraps(style)) {
        // Wrapped onto further lines, it still fits when they all do.
        RECT wrapped = {0, 0, room, 0};
        DrawTextA(measuring->dc, text, -1, &wrapped, format | DT_WORDBREAK);
        fits = wrapped.right <= room && wrapped.bottom <= client.bottom;
    }
    if (!fits) {
        printf("clipped: %d \"%s\" needs %ld x %ld px, has %d x %ld px\n", GetDlgCtrlID(control),
               text, line.right, line.bottom, room, client.bottom);
        ++measuring->clipped;
    }
    return TRUE;
}
} // namespace

int PrintDialogFont(HWND window) {
    HFONT font = DialogFont(window);
    if (!font)
        return 1;
    HDC dc = GetDC(window);
    HGDIOBJ previous = SelectObject(dc, font);
    // The face asked for may stand for another (a font substitute): the
    // family of the font that answered tells which.
    char face[LF_FACESIZE] = "?";
    char outline[1024] = {};
    auto *described = reinterpret_cast<OUTLINETEXTMETRICA *>(outline);
    if (GetOutlineTextMetricsA(dc, sizeof outline, described))
        lstrcpynA(face, outline + (UINT_PTR)described->otmpFamilyName, sizeof face);
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    // The dialog's horizontal unit: the mean width of the 52 Latin letters.
    SIZE letters = {};
    GetTextExtentPoint32A(dc, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", 52, &letters);
    printf("%s, %ld px high, dialog base units %ld x %ld px\n", face, metrics.tmHeight,
           (letters.cx / 26 + 1) / 2, metrics.tmHeight);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    DeleteObject(font);
    return 0;
}

int PrintClippedTexts(HWND window) {
    HFONT font = DialogFont(window);
    if (!font)
        return -1;
    Measuring measuring = {window, GetDC(window), 0};
    HGDIOBJ previous = SelectObject(measuring.dc, font);
    EnumChildWindows(window, MeasureControl, reinterpret_cast<LPARAM>(&measuring));
    SelectObject(measuring.dc, previous);
    ReleaseDC(window, measuring.dc);
    DeleteObject(font);
    return measuring.clipped;
}
