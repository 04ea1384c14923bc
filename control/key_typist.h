// Types a text on the emulated keyboard, one key at a time, timed on the machine's frames.
//
// Each character holds its key (with Shift where the character needs it) down for a few
// frames and then lets go for a few, so that a ROM scanning the keyboard on its interrupt
// sees every press and every release, also of a repeated key. Typing starts a while after
// the typist starts (for --type, the machine's start, once a ROM has had time to set
// itself up). Frames are emulated time (one per 133,120 cycles), so the typing is the
// same at any host speed, windowed or headless.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ollendor {

inline constexpr unsigned typingStartFrames = 30; // about 1 s of emulated time before the first key
inline constexpr unsigned keyDownFrames = 3;      // frames each key is held
inline constexpr unsigned keyUpFrames = 3;        // frames between two keys

// The host key (Windows virtual-key code) of a character, and whether Shift goes with it.
struct TypedKey {
    uint8_t virtualKey; // the key of the character
    bool shift;         // held together with Shift
};

inline constexpr uint8_t virtualKeyShift = 0x10;

// The key for a character: letters, digits, space, '\n' (Enter), ',' and '.', and with Shift
// the capital letters, !"#$%&'() (Shift with 1-9) and < > (Shift with comma and period).
std::optional<TypedKey> keyForCharacter(char character);

// The text as given to --type or a client: the two characters \n stand for Enter.
std::string unescapeTypedText(const std::string& text);

class KeyTypist {
public:
    // Keeps the keys of the characters it can type (see firstUntypable), to be typed from
    // the machine's frame startFrame on.
    explicit KeyTypist(const std::string& text = "", uint64_t startFrame = 0);

    // Position of the first character that has no key, or std::string::npos.
    static std::size_t firstUntypable(const std::string& text);

    // Whether the typist holds this key down at the machine's frame `frame`.
    bool keyDown(uint8_t virtualKey, uint64_t frame) const;
    // True once every key has been pressed and released at that frame.
    bool finished(uint64_t frame) const;

private:
    std::vector<TypedKey> keys; // in typing order
    uint64_t startFrame = 0;    // the machine's frame at which the typist started
};

} // namespace ollendor
