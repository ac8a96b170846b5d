#include "bridge/HostCatalog.h"

#include <cstdint>
#include <fstream>
#include <iterator>

namespace {

constexpr uint32_t kMoMagic = 0x950412DEu;
constexpr uint32_t kMoMagicSwapped = 0xDE120495u;

class MoReader {
 public:
  MoReader(const std::string& bytes, bool swapped) : mBytes(bytes), mSwapped(swapped) {}

  bool Word(uint64_t offset, uint32_t& out) const {
    if (offset + 4 > mBytes.size()) return false;
    const auto* p = reinterpret_cast<const unsigned char*>(mBytes.data() + offset);
    uint32_t v = static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                 static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
    out = mSwapped ? __builtin_bswap32(v) : v;
    return true;
  }

  // String number i of the table at tableOffset; strings must end with their
  // NUL inside the file.
  bool String(uint64_t tableOffset, uint32_t i, std::string& out) const {
    uint32_t length = 0;
    uint32_t offset = 0;
    uint64_t entry = tableOffset + 8ull * i;
    if (!Word(entry, length) || !Word(entry + 4, offset)) return false;
    if (static_cast<uint64_t>(offset) + length + 1 > mBytes.size()) return false;
    if (mBytes[offset + length] != '\0') return false;
    out.assign(mBytes, offset, length);
    return true;
  }

 private:
  const std::string& mBytes;
  bool mSwapped;
};

}  // namespace

bool HostCatalog::Load(const std::string& path) {
  mMessages.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return Parse(bytes);
}

bool HostCatalog::Parse(const std::string& bytes) {
  mMessages.clear();
  if (bytes.size() < 28) return false;
  uint32_t magic = 0;
  MoReader(bytes, false).Word(0, magic);
  if (magic != kMoMagic && magic != kMoMagicSwapped) return false;
  MoReader reader(bytes, magic == kMoMagicSwapped);
  uint32_t count = 0, originals = 0, translations = 0;
  if (!reader.Word(8, count) || !reader.Word(12, originals) || !reader.Word(16, translations))
    return false;
  // Each entry takes 8 bytes in each table: a count the file cannot hold is damage.
  if (8ull * count > bytes.size()) return false;

  std::unordered_map<std::string, std::string> messages;
  std::string msgid, msgstr;
  for (uint32_t i = 0; i < count; ++i) {
    if (!reader.String(originals, i, msgid) || !reader.String(translations, i, msgstr))
      return false;
    // Plural forms hold NUL-separated variants: keep the singular ones.
    msgid = msgid.substr(0, msgid.find('\0'));
    msgstr = msgstr.substr(0, msgstr.find('\0'));
    if (msgid.empty() || msgstr.empty()) continue;
    messages.emplace(msgid, msgstr);
  }
  mMessages.swap(messages);
  return true;
}

const std::string* HostCatalog::Find(const std::string& msgid) const {
  auto it = mMessages.find(msgid);
  return it == mMessages.end() ? nullptr : &it->second;
}
