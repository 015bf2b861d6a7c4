; A game-like scene in Text mode on the SG-1000: a menu box of 40-column
; text in white on dark blue (register 7), drawn from a few box patterns
; (only bits 7-2 of each pattern row show), with a cursor bar.
;   names $0800, patterns $0000

        include "sgkit.inc"

Main:
        call VdpClearVram
        ld hl,Blocks
        call VdpWriteBlocks
        ; the box: top row 3, bottom row 16, columns 4-35
        ld hl,$4000 | ($0800 + 3 * 40 + 5)
        ld bc,30
        ld e,1
        call VdpFill
        ld hl,$4000 | ($0800 + 16 * 40 + 5)
        ld bc,30
        ld e,1
        call VdpFill
        ld b,12
        ld hl,$0800 + 4 * 40 + 4
_sides:
        push bc
        push hl
        set 6,h
        ld bc,1
        ld e,2
        call VdpFill
        pop hl
        push hl
        ld de,31
        add hl,de
        set 6,h
        ld bc,1
        ld e,2
        call VdpFill
        pop hl
        ld de,40
        add hl,de
        pop bc
        djnz _sides
        ; menu lines: dotted entries, the chosen one a solid bar
        ld hl,$4000 | ($0800 + 6 * 40 + 8)
        ld bc,24
        ld e,4
        call VdpFill
        ld hl,$4000 | ($0800 + 9 * 40 + 8)
        ld bc,24
        ld e,5
        call VdpFill
        ld hl,$4000 | ($0800 + 12 * 40 + 8)
        ld bc,18
        ld e,4
        call VdpFill
        ld hl,Registers
        call VdpSetRegisters
Idle:
        jr Idle

Registers:
        db $00,0, $02,2, $00,4, $F4,7, $D0,1, 0,$FF

Blocks:
        dw $0008 | $4000                 ; pattern 1: a horizontal line
        db 8, $00,$00,$00,$FC,$FC,$00,$00,$00
        dw $0010 | $4000                 ; pattern 2: a vertical line
        db 8, $30,$30,$30,$30,$30,$30,$30,$30
        dw $0018 | $4000                 ; pattern 3: a corner
        db 8, $00,$00,$00,$3C,$3C,$30,$30,$30
        dw $0020 | $4000                 ; pattern 4: dots
        db 8, $00,$00,$A8,$00,$54,$00,$00,$00
        dw $0028 | $4000                 ; pattern 5: a solid bar
        db 8, $00,$FC,$FC,$FC,$FC,$FC,$FC,$00
        dw ($0800 + 3 * 40 + 4) | $4000  ; the four corners (one pattern)
        db 1, 3
        dw ($0800 + 3 * 40 + 35) | $4000
        db 1, 3
        dw ($0800 + 16 * 40 + 4) | $4000
        db 1, 3
        dw ($0800 + 16 * 40 + 35) | $4000
        db 1, 3
        dw 0

        ds $2000 - $, $00
