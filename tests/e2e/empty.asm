; An empty 8 KiB ROM image for the window tests' BASIC and assembler slots.
        org 0
        ds 0x2000, 0xFF
