; The H counter (port $7F) as the console gives it: the value latched by the
; last rise of a TH line, never the running count. Port 1's TH is driven
; from port $3F. Results:
;   0, 1  after a rise of TH early in a line: read twice, some lines apart:
;         the same value both times
;   2, 3  after a rise later in a line: again the same twice, and larger
;         than 0 (the beam was further along)
;   4     after a fall of TH: still the value of 2 (a fall latches nothing)

        include "testkit.inc"

PORT_IO_CTRL    equ $3F
PORT_HCOUNTER   equ $7F
TH_LOW          equ $DD             ; port 1's TH an output at 0, the rest inputs
TH_HIGH         equ $FD             ; the same at 1

Main:
        ld a,TH_LOW
        out (PORT_IO_CTRL),a
        call NextLine
        ld a,TH_HIGH
        out (PORT_IO_CTRL),a        ; the rise, early in the line
        call ReadTwice
        ld a,TH_LOW
        out (PORT_IO_CTRL),a
        call NextLine
        ld b,8
_late:
        djnz _late                  ; about 100 cycles into the line
        ld a,TH_HIGH
        out (PORT_IO_CTRL),a        ; the rise, later in the line
        call ReadTwice
        call NextLine
        ld b,4
_fall:
        djnz _fall
        ld a,TH_LOW
        out (PORT_IO_CTRL),a        ; a fall
        call NextLine
        in a,(PORT_HCOUNTER)
        ld (ix+0),a
        jp Finish

; Returns just after the V counter changes.
NextLine:
        in a,(PORT_VCOUNTER)
        ld b,a
_same:
        in a,(PORT_VCOUNTER)
        cp b
        jr z,_same
        ret

; Appends port $7F now and again a few lines later.
ReadTwice:
        in a,(PORT_HCOUNTER)
        ld (ix+0),a
        call NextLine
        call NextLine
        ld b,5
_wait:
        djnz _wait
        in a,(PORT_HCOUNTER)
        ld (ix+1),a
        inc ix
        inc ix
        ret

        ds $4000 - $, $FF
