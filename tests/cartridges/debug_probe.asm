; A small program for the debugger's tests: a routine that counts in RAM,
; a frame interrupt, video and colour RAM writes, and a line printed on the
; homebrew debug console. Its symbol table is built beside it.

        org $0000
        di
        im 1
        ld sp,$DFF0
        jp Main

        ds $38 - $, $FF
FrameInterrupt:
        push af
        in a,($BF)              ; acknowledges the interrupt
        ld a,(Ticks)
        inc a
        ld (Ticks),a
        pop af
        ei
        reti

        ds $66 - $, $FF
        retn

Main:
        ld a,$20                ; register 1: frame interrupt on, display off
        out ($BF),a
        ld a,$81
        out ($BF),a
        ld a,$10                ; video RAM $0010 = $5A
        out ($BF),a
        ld a,$40
        out ($BF),a
        ld a,$5A
        out ($BE),a
        ld a,$03                ; colour 3 = $3F
        out ($BF),a
        ld a,$C0
        out ($BF),a
        ld a,$3F
        out ($BE),a
        ld hl,Message           ; the debug console prints the counter
        ld b,MessageEnd - Message
        ld c,$FD
        otir
        ei
MainLoop:
        call Work
        ld a,(Counter)
        jr MainLoop

Work:
        ld hl,Counter
        inc (hl)
        call Leaf
        ret

Leaf:
        nop
        ret

Message:
        db "count=%umb", Counter & $FF, Counter >> 8, 10
MessageEnd:

Counter equ $C010
Ticks   equ $C011

        ds $4000 - $, $FF
