; A game-like scene in Multicolor on the SG-1000: a blocky landscape of
; 4 x 4 blocks (two a pattern byte, left in the high nibble), names laid out
; as the mode wants (each row of names 32 apart, rows of four lines taking
; bytes 0-1, 2-3, 4-5, 6-7), and a red 8 x 8 sprite over it.
;   names $1800, patterns $0000, sprites $1B00, sprite patterns $3800

        include "sgkit.inc"

Main:
        call VdpClearVram
        ; names: row r column c is (r / 4) * 32 + c
        xor a
        out (PORT_VDP_CTRL),a
        ld a,$18 | VDP_WRITE_VRAM
        out (PORT_VDP_CTRL),a
        ld d,0                           ; row
_rows:
        ld a,d
        and $FC
        rlca
        rlca
        rlca
        ld e,a                           ; (row / 4) * 32
        ld b,32
_columns:
        ld a,e
        out (PORT_VDP_DATA),a
        inc e
        djnz _columns
        inc d
        ld a,d
        cp 24
        jr nz,_rows
        ; patterns $0000-$05FF: the block colours, sky to ground by the
        ; pattern's row of names
        xor a
        out (PORT_VDP_CTRL),a
        ld a,VDP_WRITE_VRAM
        out (PORT_VDP_CTRL),a
        ld hl,0
_blocks:
        ld a,h
        add a,a
        add a,a
        ld e,a                           ; (address / 256) * 4: the band
        ld a,l
        and 7
        rrca
        and 3
        add a,e
        ld e,a
        ld d,0
        push hl
        ld hl,Land
        add hl,de
        ld a,(hl)
        pop hl
        bit 3,l                          ; every other pattern a shade darker
        jr z,_out
        and $F0
        or $01
_out:
        out (PORT_VDP_DATA),a
        inc hl
        ld a,h
        cp $06
        jr nz,_blocks
        ld hl,Blocks
        call VdpWriteBlocks
        ld hl,Registers
        call VdpSetRegisters
Idle:
        jr Idle

Registers:
        db $00,0, $06,2, $00,4, $36,5, $07,6, $01,7, $C8,1, 0,$FF

; Four colour bytes for each of the six 256-byte parts (two rows of names).
Land:
        db $55,$57,$75,$77
        db $77,$7F,$F7,$57
        db $3B,$B3,$33,$2B
        db $C2,$2C,$22,$C3
        db $A6,$6A,$A6,$AA
        db $61,$16,$66,$1D

Blocks:
        dw $3800 | $4000                 ; sprite pattern 0: a bird
        db 8, $00,$81,$C3,$66,$3C,$18,$00,$00
        dw $1B00 | $4000
        db 5, 40,180,0,8, $D0
        dw 0

        ds $2000 - $, $00
