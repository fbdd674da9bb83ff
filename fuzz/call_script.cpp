#include "call_script.h"

namespace qel::fuzz {

namespace {

// Reads the input front to back; past its end every byte is zero.
class Reader {
 public:
  Reader(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

  bool done() const { return pos_ >= size_; }
  std::uint8_t u8() { return pos_ < size_ ? data_[pos_++] : 0; }
  std::uint16_t u16() {
    const std::uint16_t lo = u8();
    return static_cast<std::uint16_t>(lo | (u8() << 8));
  }
  std::uint32_t u32() {
    const std::uint32_t lo = u16();
    return lo | (std::uint32_t{u16()} << 16);
  }

 private:
  const std::uint8_t* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
};

constexpr unsigned kCodes = 64;
constexpr std::uint8_t kInitCode = 58;
constexpr std::uint8_t kFailingInitCode = 59;

CallKind kind_of(std::uint8_t code) {
  const unsigned c = code % kCodes;
  if (c == kInitCode) return CallKind::Init;
  if (c == kFailingInitCode) return CallKind::InitOpenFails;
  if (c < 16) return CallKind::WriteString;
  if (c < 32) return CallKind::ClearLine;
  if (c < 48) return CallKind::WriteValue;
  return CallKind::WriteStringValue;
}

// Indexed by CallKind.
const char* const kNames[] = {"Init",       "Init (PIN_open fails)", "WriteString", "ClearLine",
                              "WriteValue", "WriteStringValue"};

}  // namespace

std::vector<Call> read_calls(const std::uint8_t* data, std::size_t size) {
  Reader in(data, size);
  std::vector<Call> calls;
  while (!in.done() && calls.size() < kMaxCalls) {
    Call call;
    call.kind = kind_of(in.u8());
    if (call.takes_line()) call.line = in.u8();
    if (call.takes_value()) {
      call.value = in.u32();
      call.base = in.u8();
    }
    if (call.takes_text()) {
      const std::uint16_t length = in.u16();
      if (length != kNullText) {
        std::string text;
        bool ended = false;
        for (std::size_t i = 0; i < length % (kMaxTextLength + 1); ++i) {
          const std::uint8_t c = in.u8();
          ended = ended || c == 0;
          if (!ended) text.push_back(static_cast<char>(c));
        }
        call.text = std::move(text);
      }
    }
    calls.push_back(std::move(call));
  }
  return calls;
}

std::string describe(const Call& call) {
  std::string out = kNames[static_cast<int>(call.kind)];
  if (!call.takes_line()) return out;
  out += "(line " + std::to_string(call.line);
  if (call.takes_value()) out += ", value " + std::to_string(call.value) + ", base " + std::to_string(call.base);
  if (call.takes_text()) {
    out += call.text ? ", " + std::to_string(call.text->size()) + "-character text" : std::string(", NULL text");
  }
  return out + ")";
}

}  // namespace qel::fuzz
