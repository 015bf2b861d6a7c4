; A game-like scene in Graphics II on the SG-1000: every tile its own
; pattern and colours (each third of the screen with its own 256), here a
; sky, hills and water in bands of two colours a row, and a white 8 x 8
; sprite magnified to 16 x 16.
;   names $1800 (each third 0-255), patterns $0000, colours $2000,
;   sprites $1B00, sprite patterns $3800

        include "sgkit.inc"

Main:
        ; names: 0-255 in each third (video RAM needs no clearing: every
        ; table the picture reads is written)
        xor a
        out (PORT_VDP_CTRL),a
        ld a,$18 | VDP_WRITE_VRAM
        out (PORT_VDP_CTRL),a
        ld bc,768
_names:
        ld a,c
        out (PORT_VDP_DATA),a
        dec bc
        ld a,b
        or c
        jr nz,_names
        ; patterns $0000-$17FF: a wave, each of 8 tiles in turn a row further on
        xor a
        out (PORT_VDP_CTRL),a
        ld a,VDP_WRITE_VRAM
        out (PORT_VDP_CTRL),a
        ld d,96
_patterns:
        ld hl,Waves
        ld bc,64 << 8 | PORT_VDP_DATA
        otir
        dec d
        jr nz,_patterns
        ; colours $2000-$37FF: each third its band of eight colour bytes
        xor a
        out (PORT_VDP_CTRL),a
        ld a,$20 | VDP_WRITE_VRAM
        out (PORT_VDP_CTRL),a
        ld hl,Bands
        ld e,3
_third:
        ld d,0
_tile:
        push hl
        ld bc,8 << 8 | PORT_VDP_DATA
        otir
        pop hl
        dec d
        jr nz,_tile
        ld bc,8
        add hl,bc
        dec e
        jr nz,_third
        ld hl,Blocks
        call VdpWriteBlocks
        ld hl,Registers
        call VdpSetRegisters
Idle:
        jr Idle

Registers:
        db $02,0, $06,2, $FF,3, $03,4, $36,5, $07,6, $01,7, $C1,1, 0,$FF

Waves:
        db $18,$3C,$7E,$FF,$E7,$C3,$81,$00
        db $3C,$7E,$FF,$E7,$C3,$81,$00,$18
        db $7E,$FF,$E7,$C3,$81,$00,$18,$3C
        db $FF,$E7,$C3,$81,$00,$18,$3C,$7E
        db $E7,$C3,$81,$00,$18,$3C,$7E,$FF
        db $C3,$81,$00,$18,$3C,$7E,$FF,$E7
        db $81,$00,$18,$3C,$7E,$FF,$E7,$C3
        db $00,$18,$3C,$7E,$FF,$E7,$C3,$81

; Eight colour bytes a third: sky, hills, water (front colour high).
Bands:
        db $54,$54,$74,$74,$5F,$F4,$74,$54
        db $3C,$3C,$2C,$2C,$C2,$A2,$B2,$32
        db $45,$45,$74,$74,$4F,$45,$54,$44

Blocks:
        dw $3800 | $4000                 ; sprite pattern 0: a boat
        db 8, $10,$18,$1C,$10,$FF,$7E,$3C,$00
        dw $1B00 | $4000
        db 5, 120,100,0,15, $D0
        dw 0

        ds $2000 - $, $00
