// The error box: a framed pop-up that shows the message lines of a
// calculator error code and waits for EXIT, AC, LEFT, RIGHT or SHIFT+EXIT.
// Calculator thread only.
#pragma once
#include "kernel/types.h"

// Shows the box for code and returns 0 once the user closed it; code 0
// returns 0 at once and draws nothing. Codes without lines of their own show
// "Undefinition" with the code's number.
i32 ErrBox(i32 code);
// ErrBox, keeping screen slot 7 as it was (the slot is copied aside and
// back around the box).
i32 ErrBoxKeepSlot7(i32 code);
