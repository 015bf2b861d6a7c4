; Start and Pause: each frame, after the picture, records how many pause
; interrupts were taken and what port $00 reads.

        include "testkit.inc"

Main:
_frame:
        call WaitFrameEnd
        ld a,(PAUSES)
        ld (RESULTS+4),a
        in a,($00)
        ld (RESULTS+5),a
        jr _frame

        ds $4000 - $, $FF
