#include "recording/BoxTypeRegistry.h"

#include <algorithm>

namespace recording {
namespace {

constexpr std::string_view kTypes[] = {
    "ainf", "avcn", "bloc", "bpcc", "buff", "bxml", "ccid", "cdef", "clip", "cmap", "co64", "colr", "crgn", "crhd",
    "cslg", "ctab", "ctts", "cvru", "dinf", "dref", "dsgd", "dstg", "edts", "elst", "fdel", "feci", "fecr", "fiin",
    "fire", "fpar", "free", "frma", "ftyp", "gitn", "grpi", "hdlr", "hmhd", "hpix", "icnu", "ID32", "idat", "ihdr",
    "iinf", "iloc", "imap", "imif", "infe", "infu", "iods", "iphd", "ipmc", "ipro", "iref", "jP  ", "jp2c", "jp2h",
    "jp2i", "kmat", "leva", "load", "lrcu", "m7hd", "matt", "mdat", "mdhd", "mdia", "mdri", "meco", "mehd", "mere",
    "meta", "mfhd", "mfra", "mfro", "minf", "mjhd", "moof", "moov", "mvcg", "mvci", "mvex", "mvhd", "mvra", "nmhd",
    "ochd", "odaf", "odda", "odhd", "odhe", "odrb", "odrm", "odtt", "ohdr", "padb", "paen", "pclr", "pdin", "pitm",
    "pnot", "prft", "res ", "resc", "resd", "rinf", "saio", "saiz", "sbgp", "schi", "schm", "sdep", "sdhd", "sdtp",
    "sdvp", "segr", "senc", "sgpd", "sidx", "sinf", "skip", "smhd", "srmb", "srmc", "srpp", "ssix", "stbl", "stco",
    "stdp", "sthd", "strd", "stri", "stsc", "stsd", "stsg", "stsh", "stss", "stsz", "stts", "styp", "stz2", "subs",
    "swtc", "tfad", "tfdt", "tfhd", "tfma", "tfra", "tibr", "tiri", "tkhd", "traf", "trak", "tref", "trex", "trgr",
    "trik", "trun", "udta", "uinf", "UITS", "ulst", "url ", "uuid", "vmhd", "vwdi", "xml ", "xml ", "udat", "ICAT",
};
static_assert(std::size(kTypes) == 168);

}  // namespace

const BoxTypeRegistry& BoxTypeRegistry::Instance() {
  static const BoxTypeRegistry registry;
  return registry;
}

std::uint32_t BoxTypeRegistry::Key(const std::uint8_t* c) {
  return (std::uint32_t{c[0]} << 24) | (std::uint32_t{c[1]} << 16) | (std::uint32_t{c[2]} << 8) | c[3];
}

BoxTypeRegistry::BoxTypeRegistry() {
  std::array<std::uint32_t, std::size(kTypes)> all{};
  for (std::size_t i = 0; i < std::size(kTypes); ++i) {
    all[i] = Key(reinterpret_cast<const std::uint8_t*>(kTypes[i].data()));
  }
  std::sort(all.begin(), all.end());
  auto end = std::unique(all.begin(), all.end());
  count_ = static_cast<std::size_t>(end - all.begin());
  std::copy(all.begin(), end, codes_.begin());
}

bool BoxTypeRegistry::Contains(const std::uint8_t* four_chars) const {
  return std::binary_search(codes_.begin(), codes_.begin() + count_, Key(four_chars));
}

bool BoxTypeRegistry::Contains(std::string_view type) const {
  return type.size() == 4 && Contains(reinterpret_cast<const std::uint8_t*>(type.data()));
}

std::size_t BoxTypeRegistry::ListSize() { return std::size(kTypes); }
std::string_view BoxTypeRegistry::ListEntry(std::size_t i) { return kTypes[i]; }

}  // namespace recording
