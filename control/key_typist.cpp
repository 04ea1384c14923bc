#include "control/key_typist.h"

#include <cstring>

namespace ollendor {

namespace {
constexpr uint8_t virtualKeySpace = 0x20;
constexpr uint8_t virtualKeyEnter = 0x0D;
constexpr uint8_t virtualKeyComma = 0xBC;
constexpr uint8_t virtualKeyPeriod = 0xBE;

// The symbols on the digit keys 1-9, typed with Shift.
constexpr const char* shiftedDigits = "!\"#$%&'()";
} // namespace

std::string unescapeTypedText(const std::string& text)
{
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == 'n') {
            result += '\n';
            ++i;
        } else {
            result += text[i];
        }
    }
    return result;
}

std::optional<TypedKey> keyForCharacter(char character)
{
    if (character >= 'a' && character <= 'z')
        return TypedKey{uint8_t(character - 'a' + 'A'), false};
    if (character >= 'A' && character <= 'Z')
        return TypedKey{uint8_t(character), true};
    if (character >= '0' && character <= '9')
        return TypedKey{uint8_t(character), false};
    switch (character) {
    case ' ': return TypedKey{virtualKeySpace, false};
    case '\n': return TypedKey{virtualKeyEnter, false};
    case ',': return TypedKey{virtualKeyComma, false};
    case '.': return TypedKey{virtualKeyPeriod, false};
    case '<': return TypedKey{virtualKeyComma, true};
    case '>': return TypedKey{virtualKeyPeriod, true};
    }
    if (character != '\0') {
        if (const char* found = std::strchr(shiftedDigits, character))
            return TypedKey{uint8_t('1' + (found - shiftedDigits)), true};
    }
    return std::nullopt;
}

KeyTypist::KeyTypist(const std::string& text, uint64_t startFrame) : startFrame(startFrame)
{
    for (char character : text)
        if (auto key = keyForCharacter(character))
            keys.push_back(*key);
}

std::size_t KeyTypist::firstUntypable(const std::string& text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
        if (!keyForCharacter(text[i]))
            return i;
    return std::string::npos;
}

bool KeyTypist::keyDown(uint8_t virtualKey, uint64_t frame) const
{
    if (frame < startFrame + typingStartFrames)
        return false;
    const uint64_t elapsed = frame - startFrame - typingStartFrames;
    const uint64_t index = elapsed / (keyDownFrames + keyUpFrames);
    if (index >= keys.size() || elapsed % (keyDownFrames + keyUpFrames) >= keyDownFrames)
        return false;
    const TypedKey& key = keys[index];
    return virtualKey == key.virtualKey || (key.shift && virtualKey == virtualKeyShift);
}

bool KeyTypist::finished(uint64_t frame) const
{
    return frame >= startFrame + typingStartFrames + keys.size() * (keyDownFrames + keyUpFrames);
}

} // namespace ollendor
