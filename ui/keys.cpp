#include "ui/keys.h"

#include "kernel/keyqueue.h"
#include "memory/item_clip.h"
#include "ui/catalog.h"
#include "ui/errbox.h"
#include "ui/fkey.h"
#include "ui/lcd_shadow.h"
#include "ui/popup.h"
#include "ui/text.h"
#include "ui/ui_glue.h"

namespace {

constexpr u32 kNoMenu = 0xFFFFFFFFu;
constexpr i32 kErrMemory = 4;  // "Memory ERROR"

// The menu and page the function-key row shows, to redraw it on a change.
u32 g_drawnMenu = kNoMenu;
const FkeyItem *g_drawnPage = nullptr;

bool IsAlphaState(u8 m) { return m == kModAlpha || m == kModLower || m == kModAlphaLock || m == kModLowerLock; }

// Menu handling is off while a pop-up is open.
bool MenusActive() { return PopupMarkGet() == 0; }
bool MenuKeyEnabled(u16 bit) { return MenusActive() && (KeyGetMenuMask() & bit) == 0; }

void UpdateCursorShape() {
  if (TextCursorShape() != -1) KeyCursorFromState();
}

// Leaves a state that lasts one key (SHIFT, ALPHA, lower-case alpha, CLIP)
// and closes the menu group it opened; the alpha locks stay.
void EndOneKeyState() {
  const u8 mod = KeyGetModifier();
  if (mod == kModShift) {
    FkeyPopShiftMenus();
  } else if (mod == kModAlpha || mod == kModLower) {
    FkeyPopAlphaMenus();
  } else if (mod == kModClip) {
    FkeyPopRange(kFkeyClipFirst, kFkeyClipLast);
  } else {
    return;
  }
  KeySetModifier(kModNone);
  UpdateCursorShape();
}

KeyRootRow g_rootRow{nullptr, nullptr};

void RedrawRowIfChanged() {
  if (!MenusActive()) return;
  const u32 menu = FkeyCurrentMenu();
  const FkeyItem *page = FkeyPageOf(static_cast<i32>(menu));
  if (menu == g_drawnMenu && page == g_drawnPage) return;
  if (g_rootRow.hook != nullptr && menu == FkeyLevelRoot()) {
    g_rootRow.hook(g_rootRow.arg);
  } else {
    FkeyDrawRow();
  }
  g_drawnMenu = menu;
  g_drawnPage = page;
}

u32 Deliver(u32 *key, u32 code, bool isChar) {
  HostSetLogCharCode(isChar ? code : 0);
  HostSetLogKeyCode(isChar ? 0 : code);
  *key = code;
  return isChar ? 1 : 0;
}

// SHIFT and ALPHA: a new modifier state and the menu groups that go with it.
void ChangeModifier(u32 code) {
  const u8 old = KeyGetModifier();
  const u8 next = KeyNextModifier(old, code);
  KeySetModifier(next);
  if (old == kModShift && next != kModShift) FkeyPopShiftMenus();
  if (IsAlphaState(old) && !IsAlphaState(next)) FkeyPopAlphaMenus();
  if (old == kModClip && next != kModClip) FkeyPopRange(kFkeyClipFirst, kFkeyClipLast);
  if (next == kModShift && old != kModShift && MenuKeyEnabled(kMaskShiftGroup)) FkeyOpenShiftGroup();
  if (IsAlphaState(next) && !IsAlphaState(old) && MenuKeyEnabled(kMaskAlphaGroup)) FkeyOpenAlphaGroup();
  UpdateCursorShape();
}

enum FkeyOutcome { kFkeyReturnKey, kFkeyReturnChar, kFkeyConsumed };

// F1-F6 act by the kind of the current page's entry.
FkeyOutcome ActOnFkey(u32 fkey, u32 *value) {
  const i32 index = static_cast<i32>(fkey - kKeyF1);
  const i32 menu = static_cast<i32>(FkeyCurrentMenu());
  const FkeyItem *page = FkeyPageOf(menu);
  *value = fkey;
  if (page == nullptr) return kFkeyReturnKey;  // the application reads F-keys itself
  const FkeyItem item = page[index];
  const i32 icon = FkeyEntryIcon(menu, item);
  HostSetActiveFkeyLabel(index, icon >= 0 ? static_cast<u32>(icon) : 0);
  // Moving between pages keeps a SHIFT or ALPHA state (its group pages stay
  // open); every other entry ends it.
  if (item.kind == kFkeySubMenu) {
    FkeyPush(item.value);
    return kFkeyConsumed;
  }
  if (item.kind == kFkeySibling) {
    FkeyPop();
    FkeyPush(item.value);
    return kFkeyConsumed;
  }
  EndOneKeyState();
  switch (item.kind) {
    case kFkeyInput:
      *value = item.value;
      return kFkeyReturnChar;
    case kFkeyKeyCode:
    case kFkeyCommand:
      *value = item.value;
      return kFkeyReturnKey;
    default:
      return kFkeyReturnKey;  // blank: the plain F-key code, which callers ignore
  }
}

// Opens the menu group of a menu key (the key is returned as well).
void OpenMenuOfKey(u32 code) {
  switch (code) {
    case kKeyOptn:
      if (MenuKeyEnabled(kMaskOpt)) FkeyOpenOptGroup();
      break;
    case kKeyVars:
      if (MenuKeyEnabled(kMaskVars)) FkeyOpenVarsGroup();
      break;
    case kKeyPrgm:
      if (MenuKeyEnabled(kMaskShiftVars)) FkeyOpenShiftVarsGroup();
      break;
    case kKeyClip:
      if (MenuKeyEnabled(kMaskClip)) {
        FkeyOpenClipGroup();
        if (FkeyTop() == kFkeyClipFirst) {
          KeySetModifier(kModClip);
          UpdateCursorShape();
        }
      }
      break;
    default:
      break;
  }
}

bool IsClipStateKey(u32 code) { return code == kKeyClipShift || (code >= kKeyClipUp && code <= kKeyClipDown); }

// A letter typed on the PC keyboard: a posted code below 0x0400 with one of
// the typed-letter marks above a letter's byte. Key codes (30001-32000) also
// have those bits set, so the range is part of the test.
bool IsTypedLetter(u16 code) {
  if (code >= 0x0400 || (code & kKeyTypedMask) == 0) return false;
  const u16 c = static_cast<u16>(code & 0xFF);
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// Reads a typed letter under the modifier it carries.
u32 DeliverTypedLetter(u32 *key, u16 code) {
  u16 letter = static_cast<u16>(code & 0xFF);
  if ((code & kKeyTypedAlphaStay) != 0) {
    // ALPHA comes on and stays; a SHIFT or CLIP state ends first, closing
    // its menu group.
    const u8 mod = KeyGetModifier();
    if (mod == kModShift || mod == kModClip) EndOneKeyState();
    KeySetModifier(kModAlpha);
    UpdateCursorShape();
    return Deliver(key, letter, true);
  }
  // ALPHA for this key alone: the state before it is kept; lower-case alpha
  // reads a capital as its small letter.
  const u8 mod = KeyGetModifier();
  if ((mod == kModLower || mod == kModLowerLock) && letter >= 'A' && letter <= 'Z') {
    letter = static_cast<u16>(letter - 'A' + 'a');
  }
  return Deliver(key, letter, true);
}

}  // namespace

u32 KeyGetKey(u32 *key) {
  KeyBreakDisarm();
  for (;;) {
    RedrawRowIfChanged();
    ShellUpdateDisplay();
    i32 column = 0, row = 0;
    u16 code = 0;
    HostWaitKey(&column, &row, &code);

    if (column == -1 && row == -1) {
      if (IsTypedLetter(code)) return DeliverTypedLetter(key, code);
      // The window's paste first takes the PC clipboard's text into "CLIP";
      // when it cannot be kept the paste is dropped, so that no older text
      // is pasted in its place. The calculator's own paste (SHIFT 9) keeps
      // "CLIP" as the calculator copied it.
      if (code == kKeyPaste && ItemClipFromHost() != 0) {
        EndOneKeyState();
        ErrBox(kErrMemory);
        continue;
      }
      // The window's copy puts "CLIP" on the PC clipboard; the key still
      // reaches the application.
      if (code == kKeyCopy) ItemClipToHost();
    }
    KeyAction action;
    if (column == -1 && row == -1) {
      // A posted code: key codes lie in 30001-32000, anything else is a
      // character or token code.
      action = code >= kKeyXThetaT && code <= kKeyTest ? KeyAction{kActKey, code, ""} : KeyAction{kActChar, code, ""};
    } else {
      action = KeyMapPosition(column, row, KeyGetModifier());
      // The SHIFT state lasts while its group's pages are open; on a page
      // below the group's first (G-SLV, ZOOM, SKETCH ...) F1-F6 pick that
      // page's entries instead of their SHIFT functions, and EXIT goes back
      // a page instead of quitting the screen under it.
      if (KeyGetModifier() == kModShift && MenusActive()) {
        const u32 menu = FkeyCurrentMenu();
        const KeyAction plain = KeyMapPosition(column, row, 0);
        if (menu > kFkeyShiftFirst && menu <= kFkeyShiftLast && plain.kind == kActKey &&
            (KeyIsFkey(plain.code) || plain.code == kKeyExit))
          action = plain;
      }
    }
    if (action.kind == kActNone) {
      EndOneKeyState();
      continue;
    }
    if (action.kind == kActChar) {
      EndOneKeyState();
      return Deliver(key, action.code, true);
    }

    const u32 k = action.code;
    if (k == kKeyTestGate) {
      // Under an ALPHA lock this key opens the service mode when its gate is
      // open; the application then sees the TEST key.
      const u8 lock = KeyGetModifier();
      if ((lock == kModAlphaLock || lock == kModLowerLock) && UiGlueTestModeGate()) {
        KeySetModifier(0);
        UpdateCursorShape();
        UiGlueTestModeMenu();
        return Deliver(key, kKeyTest, false);
      }
    }
    if (k == kKeyShift || k == kKeyAlpha) {
      ChangeModifier(k);
      return Deliver(key, k, false);
    }
    if (k == kKeyInsert) {
      EndOneKeyState();
      KeyToggleInsertMode();
      UpdateCursorShape();
      continue;
    }
    if (k == kKeyCapture) {
      // The capture box reads its own keys; the caller never sees the key.
      EndOneKeyState();
      PopupCaptureBox();
      continue;
    }
    if (IsClipStateKey(k)) return Deliver(key, k, false);  // the CLIP state goes on

    const u8 mod = KeyGetModifier();
    if (MenusActive()) {
      if (KeyIsFkey(k)) {
        u32 value = 0;
        const FkeyOutcome outcome = ActOnFkey(k, &value);
        if (outcome == kFkeyConsumed) continue;
        return Deliver(key, value, outcome == kFkeyReturnChar);
      }
      if (k == kKeyExit) {
        // EXIT first leaves a CLIP or one-key alpha state, then closes an
        // open menu level; only with nothing to close does it reach the
        // caller.
        if (mod == kModClip || mod == kModAlpha || mod == kModLower) {
          EndOneKeyState();
          continue;
        }
        if (FkeyBack() >= 0) continue;
        return Deliver(key, k, false);
      }
    }
    EndOneKeyState();
    if (k == kKeyCatalog && MenuKeyEnabled(kMaskCatalog)) {
      // The catalog's choice comes to the caller as a typed token.
      const u32 token = CatalogScreen();
      if (token != 0) return Deliver(key, token, true);
      continue;
    }
    OpenMenuOfKey(k);
    return Deliver(key, k, false);
  }
}

void KeyPost(u32 code) { HostPostKey(-1, -1, static_cast<u16>(code)); }

KeyRootRow KeySetRootRowHook(KeyRootRow row) {
  const KeyRootRow old = g_rootRow;
  g_rootRow = row;
  return old;
}

void KeyNoteDrawnRow() {
  g_drawnMenu = FkeyCurrentMenu();
  g_drawnPage = FkeyPageOf(static_cast<i32>(g_drawnMenu));
}

void KeyForgetDrawnRow() {
  g_drawnMenu = kNoMenu;
  g_drawnPage = nullptr;
}
