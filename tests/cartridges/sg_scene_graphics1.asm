; A game-like scene in Graphics I on the SG-1000: a night sky in dark blue
; (the backdrop), stars, a brick platform and grass (one colour byte for
; each group of 8 patterns), and two magnified-free 16 x 16 sprites, the
; lower-numbered one in front where they overlap.
;   names $1800, colours $2000, patterns $0000, sprites $1B00, sprite
;   patterns $3800

        include "sgkit.inc"

Main:
        call VdpClearVram
        ld hl,Blocks
        call VdpWriteBlocks
        ; grass: rows 20-23
        ld hl,$4000 | ($1800 + 20 * 32)
        ld bc,4 * 32
        ld e,16
        call VdpFill
        ; the platform: row 14, columns 8-21
        ld hl,$4000 | ($1800 + 14 * 32 + 8)
        ld bc,14
        ld e,8
        call VdpFill
        ld hl,Registers
        call VdpSetRegisters
Idle:
        jr Idle

Registers:
        db $00,0, $06,2, $80,3, $00,4, $36,5, $07,6, $F4,7, $C2,1, 0,$FF

Blocks:
        dw $0040 | $4000                 ; pattern 8: a brick
        db 8, $FF,$81,$81,$FF,$FF,$18,$18,$FF
        dw $0080 | $4000                 ; pattern 16: grass
        db 8, $AA,$55,$FF,$00,$FF,$00,$FF,$00
        dw $00C0 | $4000                 ; pattern 24: a star
        db 8, $10,$10,$7C,$38,$6C,$00,$00,$00
        dw $2001 | $4000                 ; colours of patterns 8-15, 16-23, 24-31
        db 3, $96,$2C,$B0
        dw ($1800 + 2 * 32 + 3) | $4000  ; stars
        db 1, 24
        dw ($1800 + 4 * 32 + 17) | $4000
        db 1, 24
        dw ($1800 + 7 * 32 + 27) | $4000
        db 1, 24
        dw ($1800 + 9 * 32 + 9) | $4000
        db 1, 24
        dw $3800 | $4000                 ; sprite pattern 0 (16 x 16): a round figure
        db 32, $07,$1F,$3F,$7F,$7F,$FF,$FF,$FF,$FF,$FF,$FF,$7F,$7F,$3F,$1F,$07
        db     $E0,$F8,$FC,$FE,$FE,$FF,$FF,$FF,$FF,$FF,$FF,$FE,$FE,$FC,$F8,$E0
        dw $1B00 | $4000                 ; sprites: Y, X, pattern, colour; then the end
        db 9, 95,80,0,15, 101,88,0,6, $D0
        dw 0

        ds $2000 - $, $00
