; TMS sprites in Graphics I: 32 sprites of 4 bytes (Y, X, pattern, early
; clock bit 7 and colour) at (register 5 & $7F) << 7, patterns at (register
; 6 & 7) << 11; a sprite's top row is on the line after its Y, and a Y of
; $D0 ends the table. The first four sprites on a line are drawn, the lower
; number on top; a fifth sets status bit 6 and puts its number in bits 0-4
; (the first such line of the picture counts); without one, bits 0-4 hold
; the last sprite looked at (the end marker's number, or 31). Set pixels of
; two of the first four meeting set status bit 5, whatever their colours.
; The early clock bit draws a sprite 32 pixels left.
; Here the table is at $1B00, the patterns at $3800 (pattern 0 solid), the
; background empty, backdrop 4.
;
; Results, each a status read after a whole picture and a read straight
; after it, for these scenes:
;   1. four sprites apart on lines 48-55, end at 4
;   2. five of them, end at 5
;   3. two overlapping, end at 2
;   4. the same with the upper one in colour 0
;   5. four apart and a fifth on the first, end at 5
;   6. 32 sprites below the picture, no end marker
;   7. sprites 0-1 and 7-9 on lines 100-107, 2-6 on lines 48-55, end at 10
; Picture: sprites 0-4 on lines 48-55 at X 16, 48, 80, 112, 144 in colours
; 15, 9, 3, 5, 11; sprite 5 (colour 9) at X 40 over sprite 6 (colour 3) at
; X 44 on lines 96-103; sprite 7 at X 100 with the early clock bit, colour
; 15, on lines 120-127.

        include "testkit.inc"

; The kit's mode-4 patterns at $0020-$00BF stay: every name is 0, and
; pattern 0 is empty.
Main:
        ld hl,Setup
        call VdpWriteBlocks
        ld hl,Registers
        call VdpSetRegisters
        ld hl,Scene1
        call MeasureScene
        ld hl,Scene2
        call MeasureScene
        ld hl,Scene3
        call MeasureScene
        ld hl,Scene4
        call MeasureScene
        ld hl,Scene5
        call MeasureScene
        ld hl,Scene6
        call MeasureScene
        ld hl,Scene7
        call MeasureScene
        ld hl,Picture
        call VdpWriteBlocks
        call WaitFrameEnd
        jp Finish

MeasureScene:
        call VdpWriteBlocks
        jp MeasureStatus

Registers:
        db $00,0, $06,2, $80,3, $00,4, $36,5, $07,6, $04,7, $C0,1, 0,$FF

TMS_SAT equ $1B00 | $4000

Setup:
        dw $3800 | $4000
        db 8, $FF,$FF,$FF,$FF,$FF,$FF,$FF,$FF
        dw 0

Scene1:
        dw TMS_SAT
        db 17, 47,16,0,15, 47,48,0,15, 47,80,0,15, 47,112,0,15, $D0
        dw 0
Scene2:
        dw TMS_SAT
        db 21, 47,16,0,15, 47,48,0,15, 47,80,0,15, 47,112,0,15, 47,144,0,15, $D0
        dw 0
Scene3:
        dw TMS_SAT
        db 9, 47,16,0,15, 47,20,0,15, $D0
        dw 0
Scene4:
        dw TMS_SAT
        db 9, 47,16,0,15, 47,20,0,0, $D0
        dw 0
Scene5:
        dw TMS_SAT
        db 21, 47,16,0,15, 47,48,0,15, 47,80,0,15, 47,112,0,15, 47,16,0,15, $D0
        dw 0
Scene6:
        dw TMS_SAT
        db 128
        rept 32
        db $C0,0,0,15
        endm
        dw 0
Scene7:
        dw TMS_SAT
        db 41, 99,16,0,15, 99,48,0,15
        db 47,16,0,15, 47,48,0,15, 47,80,0,15, 47,112,0,15, 47,144,0,15
        db 99,80,0,15, 99,112,0,15, 99,144,0,15, $D0
        dw 0

Picture:
        dw TMS_SAT
        db 128
        db 47,16,0,15, 47,48,0,9, 47,80,0,3, 47,112,0,5, 47,144,0,11
        db 95,40,0,9, 95,44,0,3, 119,100,0,$8F, $D0,0,0,0
        ds 128 - 36, 0
        dw 0

        ds $4000 - $, $FF
