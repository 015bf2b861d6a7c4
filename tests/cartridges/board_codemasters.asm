; Codemasters board probe (8 pages, with the board's header in page 1):
; registers at $0000, $4000 and $8000; bit 7 of $4000 maps 8 KB of RAM at
; $A000-$BFFF.
        if PAGE = 0
        include "testkit.inc"
        include "board_probe.inc"
Main:
        call CopyRamRoutine
        ld a,($5000)            ; slot 1 at reset: page 1
        call Record
        ld a,($9000)            ; slot 2 at reset: page 2
        call Record
        ld a,3
        ld ($8000),a
        ld a,($9000)
        call Record
        ld a,5
        ld ($4000),a
        ld a,($5000)
        call Record
        ld hl,$0000             ; slot 0 to page 6
        ld de,$1000
        ld a,6
        call ThroughRam
        ld a,$82                ; RAM on, slot 1 page 2
        ld ($4000),a
        ld a,$5A
        ld ($A000),a
        ld a,($A000)
        call Record
        ld a,($5000)
        call Record
        ld a,($9000)            ; the lower half stays ROM
        call Record
        ld a,$02                ; RAM off: page 3's second half again
        ld ($4000),a
        ld a,($B000)
        call Record
        jr $
        endif
        ds $1000 - $, $FF
        db PAGE * 2
        ds $3000 - $, $FF
        db PAGE * 2 + 1
        if PAGE = 1
        ds $3FE6 - $, $FF
        dw $1234, $EDCC         ; checksum and its complement ($10000 less it)
        endif
        ds $4000 - $, $FF
