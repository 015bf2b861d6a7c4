; Mode 4 background rules, in one picture (192 lines):
;   - the vertical scroll wraps modulo 224 (28 rows): with register 9 = 128,
;     line 95 shows row 27's last pixel row and line 96 row 0's first, with
;     no row skipped between them;
;   - register 0 bit 7 keeps screen tiles 24-31 (x 192-255) unscrolled
;     vertically: line 0 shows row 0's first pixel row there;
;   - register 0 bit 5 shows x 0-7 in the backdrop colour (register 7: red)
;     and moves nothing: column 1's left half stays at x 8-11.
;
; Name table ($3800): columns 0 and 1 of every row pattern 3 (left half in
; colour 1, white); row 0, columns 2-31, pattern 6 (first pixel row white);
; row 27, columns 2-31, pattern 7 (last pixel row white); the rest blank.

        include "testkit.inc"

Main:
        ld hl,Blocks
        call VdpWriteBlocks
        ld hl,$3800 | (VDP_WRITE_VRAM << 8)
        call VdpSetAddress
        ld d,0                  ; row
_row:
        ld e,32                 ; columns left, 32 and 31 being columns 0 and 1
_column:
        ld a,e
        cp 31
        ld a,PAT_LEFT1
        jr nc,_put
        ld a,d
        or a
        ld a,6
        jr z,_put
        ld a,d
        cp 27
        ld a,7
        jr z,_put
        xor a
_put:
        out (PORT_VDP_DATA),a
        xor a
        out (PORT_VDP_DATA),a
        dec e
        jr nz,_column
        inc d
        ld a,d
        cp 28
        jr nz,_row
        ld hl,Registers
        call VdpSetRegisters
_forever:
        jr _forever

Registers:
        db $80,9, $02,7, $A4,0, DISPLAY_ON,1, 0,$FF

Blocks:
        dw $C001                ; colour 1: white
        db 1, $3F
        dw $C012                ; sprite colour 2, the backdrop: red
        db 1, $03
        dw $00C0 | $4000        ; pattern 6: first pixel row
        db 4, $FF,$00,$00,$00
        dw $00FC | $4000        ; pattern 7: last pixel row
        db 4, $FF,$00,$00,$00
        dw 0

        ds $4000 - $, $FF
