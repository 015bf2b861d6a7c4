; Tavrin demo cartridge for the Sega Master System.
;
; A night landscape scrolls in three layers (line interrupts change the
; horizontal scroll every eight lines), balloons float across it, and pad 1
; flies a ship that fires bolts. A tune plays on the sound chip, and a boot
; counter is kept in the cartridge's battery-backed RAM.
;
; Assemble with: pasmo --bin --alocal main.asm demo.sms
; (labels starting with '_' are local to the routine above them). The build
; does this through BuildCartridge.cmake, which also fills in the checksum.

        include "hardware.inc"
        include "ram.inc"

HEADER_ADDRESS  equ $7FF0

; ------------------------------------------------------------------ vectors
        org $0000
        di
        im 1
        ld sp,STACK_TOP
        jp Start

        ds $0038 - $, $FF
; Maskable interrupt (mode 1): frame and line interrupts of the video chip.
        jp InterruptHandler

        ds $0066 - $, $FF
; Non-maskable interrupt: the console's pause button. The demo keeps running.
        retn

; ------------------------------------------------------------------ start-up
Start:
        ld sp,STACK_TOP
        ; Mapper to its usual layout, cartridge RAM out of the way.
        xor a
        ld (MAPPER_RAM_CTRL),a
        ld (MAPPER_SLOT0),a
        inc a
        ld (MAPPER_SLOT1),a
        inc a
        ld (MAPPER_SLOT2),a

        ; Work RAM is all ones at power-on: clear it up to the stack.
        ld hl,RAM_START
        ld de,RAM_START + 1
        ld bc,RAM_CLEAR_SIZE - 1
        ld (hl),0
        ldir

        call SoundInit
        call VdpInitRegisters
        call VdpClearVram
        call VdpLoadPalettes
        call VdpLoadPatterns
        call VdpDrawPlayfield
        call VdpDrawBars

        call CountBoot
        ld hl,(bootCount)
        call NumberToDigits
        ld hl,BOOTS_DIGITS
        call WriteDigits

        ld a,PLAYER_START_X
        ld (playerX),a
        ld a,PLAYER_START_Y
        ld (playerY),a
        call SpritesInit
        call SpritesUpdate
        call UpdateScroll
        call DrawStatus

        in a,(PORT_VDP_CTRL)            ; drop any interrupt already pending
        ld a,VDP_DISPLAY_ON
        call VdpSetMode
        ei

; ------------------------------------------------------------------ main loop
; Waits for the frame interrupt, updates the video chip while it is in its
; vertical blank, then runs the game logic for the next frame.
MainLoop:
        halt
        ld a,(frameReady)
        or a
        jr z,MainLoop
        xor a
        ld (frameReady),a

        di                              ; the line interrupt also talks to the VDP
        call DrawStatus
        ei

        call ReadPad
        call HandleButtons
        call MovePlayer
        call MoveBolt
        call BalloonsDrift
        call SpritesUpdate
        call UpdateScroll
        call SoundUpdate
        jr MainLoop

; Everything that goes to the video chip once per frame: sprites, the
; twinkling star, the frame counter and the pad and scroll indicators.
DrawStatus:
        call VdpUploadSprites

        ld a,(frameCount)
        and 7
        jr nz,_counter
        ld a,(starPhase)
        inc a
        and 3
        ld (starPhase),a
        ld e,a
        ld d,0
        ld hl,StarColours
        add hl,de
        ld a,(hl)
        ld e,COLOUR_STAR
        call VdpSetColour
_counter:
        ld hl,(frameCount)
        call NumberToDigits
        ld hl,FRAMES_DIGITS
        call WriteDigits

        ; Pad: each letter gold while its control is held, white otherwise.
        ld hl,PAD_INDICATORS
        call VdpSetAddress
        ld a,(padHeld)
        ld c,a
        ld hl,PadLetters
        ld b,6
_letter:
        ld a,(hl)
        inc hl
        srl c
        jr c,_held
        add a,TILE_FONT_WHITE - FONT_FIRST
        jr _put
_held:
        add a,TILE_FONT_GOLD - FONT_FIRST
_put:
        out (PORT_VDP_DATA),a
        ld a,NAME_SPRITE_PAL
        out (PORT_VDP_DATA),a
        ld a,' ' + TILE_FONT_WHITE - FONT_FIRST
        out (PORT_VDP_DATA),a
        ld a,NAME_SPRITE_PAL
        out (PORT_VDP_DATA),a
        djnz _letter

        ld hl,SCROLL_ARROW
        call VdpSetAddress
        ld a,(scrollReverse)
        or a
        ld a,'<' + TILE_FONT_GOLD - FONT_FIRST
        jr z,_arrow
        ld a,'>' + TILE_FONT_GOLD - FONT_FIRST
_arrow:
        out (PORT_VDP_DATA),a
        ld a,NAME_SPRITE_PAL
        out (PORT_VDP_DATA),a
        ret

; Moves the three scrolling layers: sky 1/4, mountains 1/2 and ground 3/2
; pixel per frame, leftwards (or rightwards when reversed), and sets the
; scroll values the line interrupt hands to the video chip.
SKY_SPEED       equ $0040       ; 8.8 fixed point
HILL_SPEED      equ $0080
GROUND_SPEED    equ $0180

UpdateScroll:
        ld hl,skyScroll
        ld de,SKY_SPEED
        call _move
        ld (bandScroll + 1),a
        ld hl,hillScroll
        ld de,HILL_SPEED
        call _move
        ld (bandScroll + 2),a
        ld hl,groundScroll
        ld de,GROUND_SPEED
        call _move
        ld (bandScroll + 3),a
        xor a
        ld (bandScroll + 0),a
        ret
; Adds (reversed) or subtracts DE to the word at HL; returns its high byte.
; A smaller scroll value moves the picture left.
_move:
        push hl
        ld a,(hl)
        inc hl
        ld h,(hl)
        ld l,a
        ld a,(scrollReverse)
        or a
        jr nz,_add
        sbc hl,de                       ; carry is clear after "or a"
        jr _store
_add:
        add hl,de
_store:
        ex de,hl
        pop hl
        ld (hl),e
        inc hl
        ld (hl),d
        ld a,d
        ret

; ------------------------------------------------------------------ interrupts
; Reading the status acknowledges the interrupt. The status has no line
; interrupt flag: without the frame flag the request was a line interrupt
; (every eight lines), which loads the horizontal scroll of the next band;
; the frame interrupt counts the frame and wakes the main loop.
InterruptHandler:
        push af
        push hl
        in a,(PORT_VDP_CTRL)
        bit 7,a
        jr nz,_frame
        push af
        ; scroll = bandScroll[BandGroups[lineBand & 31]]
        ld a,(lineBand)
        inc a
        ld (lineBand),a
        dec a
        and 31
        add a,BandGroups & $FF
        ld l,a
        adc a,BandGroups >> 8
        sub l
        ld h,a
        ld a,(hl)
        add a,bandScroll & $FF
        ld l,a
        ld h,bandScroll >> 8            ; bandScroll + 3 stays in one page
        ld a,(hl)
        out (PORT_VDP_CTRL),a
        ld a,VDP_REGISTER | 8
        out (PORT_VDP_CTRL),a
        pop af
_frame:
        bit 7,a
        jr z,_done
        xor a
        ld (lineBand),a
        inc a
        ld (frameReady),a
        ld hl,(frameCount)
        inc hl
        ld (frameCount),hl
_done:
        pop hl
        pop af
        ei
        reti

; ------------------------------------------------------------------ helpers
; Writes HL as five ASCII digits into digitBuffer.
NumberToDigits:
        ld de,digitBuffer
        ld bc,-10000
        call _digit
        ld bc,-1000
        call _digit
        ld bc,-100
        call _digit
        ld bc,-10
        call _digit
        ld a,l
        add a,'0'
        ld (de),a
        ret
; One digit: count how often BC (negative) can be added to HL.
_digit:
        ld a,'0' - 1
_more:
        inc a
        add hl,bc
        jr c,_more
        sbc hl,bc                       ; one step too far: carry is clear here
        ld (de),a
        inc de
        ret

        include "vdp.inc"
        include "input.inc"
        include "sprites.inc"
        include "battery.inc"
        include "sound.inc"
        include "graphics.inc"

; ------------------------------------------------------------------ header
        if $ > HEADER_ADDRESS
        .ERROR The program has grown into the cartridge header
        endif
        ds HEADER_ADDRESS - $, $FF

; The header the console's boot program looks for. The build assembles the
; cartridge twice and passes the checksum of the first result to the second
; as CARTRIDGE_CHECKSUM (BuildCartridge.cmake).
        db "TMR SEGA"
        db $00, $00                     ; reserved
        if defined CARTRIDGE_CHECKSUM
        dw CARTRIDGE_CHECKSUM           ; sum of the bytes $0000-$7FEF
        else
        dw 0
        endif
        db $26, $70                     ; product code 7026 (BCD, low digits first)
        db $00                          ; product code high digit 0, version 0
        db $4C                          ; export Master System, 32 KB checksummed
