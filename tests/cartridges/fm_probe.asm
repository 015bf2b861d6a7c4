; The FM unit: writes 0-3 to the audio control port and reads each back
; (the results), and where the value read back is the value written, turns
; both chips on and plays: piano, flute and an instrument of its own on
; channels 0-2, the bass drum and hi-hat in rhythm mode, a PSG tone; after
; 40 frames the piano's key is released. Without the unit it stays silent.

        include "testkit.inc"

PORT_FM_ADDRESS equ $F0
PORT_FM_DATA    equ $F1
PORT_AUDIO      equ $F2
PORT_PSG        equ $7F

Main:
        ld b,0
_detect:
        ld a,b
        out (PORT_AUDIO),a
        in a,(PORT_AUDIO)
        ld (ix+0),a
        inc ix
        inc b
        ld a,b
        cp 4
        jr nz,_detect
        ld a,(RESULTS+5)
        cp 1
        jr nz,_silent

        ld a,3
        out (PORT_AUDIO),a
        ld hl,Song
        call WriteFm
        ld a,$8E
        out (PORT_PSG),a
        ld a,$0F
        out (PORT_PSG),a
        ld a,$94
        out (PORT_PSG),a
        ld b,40
_wait:
        call WaitFrameEnd
        djnz _wait
        ld hl,Release
        call WriteFm
_silent:
        jp Finish

; Register / value pairs from HL up to a register of $FF.
WriteFm:
        ld a,(hl)
        cp $FF
        ret z
        out (PORT_FM_ADDRESS),a
        inc hl
        ld a,(hl)
        out (PORT_FM_DATA),a
        inc hl
        jr WriteFm

Song:
        db $30,$30, $10,$AC, $20,$18            ; piano, volume 0, block 4, key on
        db $31,$41, $11,$20, $21,$1B            ; flute, volume 1, block 5, F-number $120
        ; The user instrument: vibrato, feedback 7, half-sine modulator.
        db $00,$61, $01,$21, $02,$1A, $03,$0F, $04,$F0, $05,$F2, $06,$02, $07,$14
        db $32,$02, $12,$80, $22,$14            ; volume 2, block 2, key on
        ; Rhythm: the drums' pitches, volumes, then bass drum and hi-hat.
        db $16,$20, $26,$05, $17,$50, $27,$05, $18,$C0, $28,$01
        db $36,$00, $37,$11, $38,$11
        db $0E,$31
        db $FF
Release:
        db $20,$08
        db $FF

        ds $4000 - $, $FF
