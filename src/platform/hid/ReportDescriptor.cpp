#include "platform/hid/ReportDescriptor.h"

#include <algorithm>
#include <map>
#include <optional>

namespace orlo::hid {

namespace {

// Item types and tags of the short item format.
enum : uint8_t { kTypeMain = 0, kTypeGlobal = 1, kTypeLocal = 2, kTypeReserved = 3 };
constexpr uint8_t kLongItemPrefix = 0xFE;
enum : uint8_t {
  kMainInput = 0x8, kMainOutput = 0x9, kMainCollection = 0xA, kMainFeature = 0xB,
  kMainEndCollection = 0xC
};
enum : uint8_t {
  kGlobalUsagePage = 0x0, kGlobalLogicalMin = 0x1, kGlobalLogicalMax = 0x2,
  kGlobalPhysicalMin = 0x3, kGlobalPhysicalMax = 0x4, kGlobalUnitExponent = 0x5,
  kGlobalUnit = 0x6, kGlobalReportSize = 0x7, kGlobalReportId = 0x8, kGlobalReportCount = 0x9,
  kGlobalPush = 0xA, kGlobalPop = 0xB
};
enum : uint8_t { kLocalUsage = 0x0, kLocalUsageMin = 0x1, kLocalUsageMax = 0x2, kLocalDelimiter = 0xA };

int32_t SignExtend(uint32_t v, int size) {
  switch (size) {
    case 1: return static_cast<int8_t>(v);
    case 2: return static_cast<int16_t>(v);
    default: return static_cast<int32_t>(v);
  }
}

// A logical or physical maximum as its item stored it. It is signed, but read unsigned when the
// minimum is not negative and the signed reading falls below it (a 1-byte 0xFF after a minimum
// of 0 means 255).
struct MaximumItem {
  int32_t value = 0;
  uint32_t raw = 0;
  int size = 0;

  void Set(uint32_t v, int itemSize) {
    value = SignExtend(v, itemSize);
    raw = v;
    size = itemSize;
  }
  int32_t Above(int32_t minimum) const {
    return minimum >= 0 && value < minimum && size < 4 ? static_cast<int32_t>(raw) : value;
  }
};

struct GlobalState {
  uint16_t usagePage = 0;
  int32_t logicalMin = 0;
  MaximumItem logicalMax;
  int32_t physicalMin = 0;
  MaximumItem physicalMax;
  int32_t unitExponent = 0;
  uint32_t unit = 0;
  uint32_t reportSize = 0;
  uint32_t reportCount = 0;
  uint8_t reportId = 0;
};

// A usage, or a usage range, in order of appearance. An end given in four bytes carries its own
// page in the high half; a shorter one takes `page`, the usage page current when it was declared
// (or, at the main item, the page a later Usage Page item gave it).
struct UsageEntry {
  bool isRange = false;
  bool extendedMin = false, extendedMax = false;
  uint32_t min = 0, max = 0;
  uint16_t page = 0;

  bool Short() const { return !extendedMin || !extendedMax; }
};

struct LocalState {
  std::vector<UsageEntry> usages;
  bool haveMin = false, haveMax = false;
  uint32_t pendingMin = 0, pendingMax = 0;
  bool pendingMinExt = false, pendingMaxExt = false;
};

// Fields start at byte 1 (byte 0 is the report id); the caller checked the length. Of a field
// wider than 32 bits this reads the low 32.
uint32_t ReadBits(const uint8_t* report, uint32_t bitPos, uint32_t size) {
  size = std::min<uint32_t>(size, 32);
  uint64_t v = 0;
  const uint32_t first = bitPos / 8;
  const uint32_t last = (bitPos + size - 1) / 8;
  for (uint32_t b = last + 1; b-- > first;) v = (v << 8) | report[1 + b];
  v >>= bitPos % 8;
  if (size < 32) v &= (uint64_t{1} << size) - 1;
  return static_cast<uint32_t>(v);
}

// A field's raw bits as a logical value: two's complement when the logical range is signed.
int64_t ToLogical(uint32_t raw, uint32_t bits, int32_t logicalMin) {
  if (logicalMin >= 0 || bits == 0) return raw;
  if (bits >= 32) return static_cast<int32_t>(raw);
  if ((raw >> (bits - 1)) & 1) return static_cast<int64_t>(raw) - (int64_t{1} << bits);
  return raw;
}

// The bits of a field element above its low 32 (a field wider than 32 bits): all zero, or all
// one (the sign extension of a negative 32-bit value).
struct HighBits {
  bool zero = true;
  bool ones = true;
};
HighBits ReadHighBits(const uint8_t* report, uint32_t bitPos, uint32_t size) {
  HighBits h;
  for (uint32_t b = 32; b < size && (h.zero || h.ones); ++b) {
    const uint32_t at = bitPos + b;
    if ((report[1 + at / 8] >> (at % 8)) & 1) h.zero = false;
    else h.ones = false;
  }
  return h;
}

class Parser {
 public:
  Parser(const uint8_t* data, size_t size, ParsedDescriptor& out) : data_(data), size_(size), out_(out) {}

  bool Run() {
    size_t pos = 0;
    while (pos < size_) {
      offset_ = pos;
      const uint8_t prefix = data_[pos];
      const size_t left = size_ - pos - 1;
      if (prefix == kLongItemPrefix) {  // long item: data size, tag, data; nothing defined uses it
        if (left < 2) return Fail("long item cut short in its header");
        const size_t len = data_[pos + 1];
        if (left - 2 < len) return Fail(CutShort("long item", len, left - 2));
        pos += 3 + len;
        continue;
      }
      static constexpr size_t kSizes[4] = {0, 1, 2, 4};
      const size_t dataSize = kSizes[prefix & 3];
      const uint8_t type = (prefix >> 2) & 3;
      const uint8_t tag = prefix >> 4;
      if (left < dataSize) return Fail(CutShort("item", dataSize, left));
      uint32_t value = 0;
      for (size_t i = dataSize; i > 0; --i) value = (value << 8) | data_[pos + i];
      pos += 1 + dataSize;
      const int size = static_cast<int>(dataSize);
      bool ok = true;
      switch (type) {
        case kTypeMain: ok = Main(tag, value); break;
        case kTypeGlobal: ok = Global(tag, value, size); break;
        case kTypeLocal: ok = Local(tag, value, size); break;
        default: break;  // reserved type: skipped with its data
      }
      if (!ok) return false;
    }
    offset_ = SIZE_MAX;
    if (!collectionStack_.empty()) return Fail("collection not closed");
    if (out_.collections.empty()) return Fail("no top-level collection");
    Finish();
    return true;
  }

  bool Fail(const std::string& why) {
    out_.collections.clear();
    out_.errorOffset = offset_ != SIZE_MAX ? offset_ : size_;
    out_.error = (offset_ != SIZE_MAX ? "byte " + std::to_string(offset_) : std::string("end of descriptor")) +
                 ": " + why;
    return false;
  }

 private:
  static std::string CutShort(const char* what, size_t announced, size_t left) {
    return std::string(what) + " cut short: " + std::to_string(announced) + " data byte" +
           (announced == 1 ? "" : "s") + " announced, " + std::to_string(left) + " left";
  }

  bool Global(uint8_t tag, uint32_t v, int size) {
    switch (tag) {
      case kGlobalUsagePage:
        if (v > 0xFFFF) return Fail("usage page does not fit 16 bits");
        g_.usagePage = static_cast<uint16_t>(v);
        break;
      case kGlobalLogicalMin: g_.logicalMin = SignExtend(v, size); break;
      case kGlobalLogicalMax: g_.logicalMax.Set(v, size); break;
      case kGlobalPhysicalMin: g_.physicalMin = SignExtend(v, size); break;
      case kGlobalPhysicalMax: g_.physicalMax.Set(v, size); break;
      case kGlobalUnitExponent:
        // Defined as a 4-bit signed nibble; wider encodings are taken as signed.
        g_.unitExponent = v <= 0xF ? (v >= 8 ? static_cast<int32_t>(v) - 16 : static_cast<int32_t>(v))
                                   : SignExtend(v, size);
        break;
      case kGlobalUnit: g_.unit = v; break;
      case kGlobalReportSize:
        if (v > kMaxReportBits) return Fail("report size too large");
        g_.reportSize = v;
        break;
      case kGlobalReportId:
        if (v == 0 || v > 0xFF) return Fail("report id out of range");
        g_.reportId = static_cast<uint8_t>(v);
        anyReportId_ = true;
        break;
      case kGlobalReportCount:
        if (v > kMaxReportBits) return Fail("report count too large");
        g_.reportCount = v;
        break;
      case kGlobalPush:
        if (stack_.size() >= static_cast<size_t>(kMaxPushDepth)) return Fail("push nested too deep");
        stack_.push_back(g_);
        break;
      case kGlobalPop:
        if (stack_.empty()) return Fail("pop without push");
        g_ = stack_.back();
        stack_.pop_back();
        break;
      default: return Fail("unknown global item");
    }
    return true;
  }

  bool Local(uint8_t tag, uint32_t v, int size) {
    const bool ext = size == 4;
    switch (tag) {
      case kLocalUsage:
        if (l_.usages.size() >= kMaxUsagesPerItem) return Fail("too many usages");
        l_.usages.push_back({false, ext, ext, v, v, g_.usagePage});
        break;
      case kLocalUsageMin:
        l_.haveMin = true;
        l_.pendingMin = v;
        l_.pendingMinExt = ext;
        return CompleteRange();
      case kLocalUsageMax:
        l_.haveMax = true;
        l_.pendingMax = v;
        l_.pendingMaxExt = ext;
        return CompleteRange();
      default:
        break;  // designators, strings and delimiters carry nothing we use
    }
    return true;
  }

  bool CompleteRange() {
    if (!l_.haveMin || !l_.haveMax) return true;
    if (l_.usages.size() >= kMaxUsagesPerItem) return Fail("too many usages");
    l_.usages.push_back({true, l_.pendingMinExt, l_.pendingMaxExt, l_.pendingMin, l_.pendingMax, g_.usagePage});
    l_.haveMin = l_.haveMax = false;
    return true;
  }

  static uint32_t Resolve(uint32_t usage, bool extended, uint16_t page) {
    return extended ? usage : (uint32_t{page} << 16) | (usage & 0xFFFF);
  }

  // Short usages at the end of the list that were declared before the last Usage Page item take
  // that page; the walk back stops at the first short usage that already has it, so usages
  // declared under an earlier page before it keep theirs.
  void RepageTrailingUsages() {
    for (auto it = l_.usages.rbegin(); it != l_.usages.rend(); ++it) {
      if (!it->Short()) continue;
      if (it->page == g_.usagePage) break;
      it->page = g_.usagePage;
    }
  }

  // A usage or range with its page resolved; nullopt for a range that leaves its page or runs
  // backwards.
  static std::optional<UsageSpan> ToSpan(const UsageEntry& e) {
    const uint32_t lo = Resolve(e.min, e.extendedMin, e.page);
    const uint32_t hi = e.isRange ? Resolve(e.max, e.extendedMax, e.page) : lo;
    if ((hi >> 16) != (lo >> 16) || (hi & 0xFFFF) < (lo & 0xFFFF)) return std::nullopt;
    return UsageSpan{static_cast<uint16_t>(lo >> 16), static_cast<uint16_t>(lo), static_cast<uint16_t>(hi)};
  }

  bool Main(uint8_t tag, uint32_t v) {
    RepageTrailingUsages();
    bool ok = true;
    switch (tag) {
      case kMainCollection: ok = OpenCollection(static_cast<uint8_t>(v)); break;
      case kMainEndCollection:
        if (collectionStack_.empty()) return Fail("end collection without collection");
        collectionStack_.pop_back();
        break;
      case kMainInput: ok = Field(ReportType::Input, v); break;
      case kMainOutput: ok = Field(ReportType::Output, v); break;
      case kMainFeature: ok = Field(ReportType::Feature, v); break;
      default: break;  // reserved tag (a 0x00 padding byte is one): skipped, its locals end here
    }
    l_ = LocalState{};
    return ok;
  }

  bool OpenCollection(uint8_t type) {
    if (collectionStack_.size() >= static_cast<size_t>(kMaxCollectionDepth)) return Fail("collections nested too deep");
    uint32_t usage = 0;
    if (!l_.usages.empty()) usage = Resolve(l_.usages.front().min, l_.usages.front().extendedMin, l_.usages.front().page);
    else usage = Resolve(0, false, g_.usagePage);
    if (collectionStack_.empty()) {
      TopLevelCollection tlc;
      tlc.caps.usage = static_cast<uint16_t>(usage);
      tlc.caps.usagePage = static_cast<uint16_t>(usage >> 16);
      LinkCollectionNode node;
      node.usage = tlc.caps.usage;
      node.usagePage = tlc.caps.usagePage;
      node.collectionType = type;
      tlc.linkCollections.push_back(node);
      out_.collections.push_back(std::move(tlc));
      collectionStack_.push_back(0);
      return true;
    }
    auto& tlc = out_.collections.back();
    if (tlc.linkCollections.size() >= kMaxCapsPerCollection) return Fail("too many collections");
    LinkCollectionNode node;
    node.usage = static_cast<uint16_t>(usage);
    node.usagePage = static_cast<uint16_t>(usage >> 16);
    node.parent = collectionStack_.back();
    node.collectionType = type;
    tlc.linkCollections[node.parent].numberOfChildren++;
    collectionStack_.push_back(static_cast<uint16_t>(tlc.linkCollections.size()));
    tlc.linkCollections.push_back(node);
    return true;
  }

  bool Field(ReportType type, uint32_t flags) {
    if (collectionStack_.empty()) return Fail("main item outside a collection");
    const uint64_t bits = uint64_t{g_.reportSize} * g_.reportCount;
    const int t = static_cast<int>(type);
    uint32_t& offset = reportBits_[t][g_.reportId];
    if (offset + bits > kMaxReportBits) return Fail("report larger than " + std::to_string(kMaxReportBits / 8) + " bytes");
    const uint32_t base = offset;
    offset += static_cast<uint32_t>(bits);

    auto& tlc = out_.collections.back();
    if (std::find(tlc.reportIds.begin(), tlc.reportIds.end(), g_.reportId) == tlc.reportIds.end())
      tlc.reportIds.push_back(g_.reportId);
    // The report's size is recorded even for padding so byte lengths come out right.
    fieldsSeen_.push_back({out_.collections.size() - 1, t, g_.reportId});

    ReportField field{type, g_.reportId, base, g_.reportSize, g_.reportCount, flags, {}};
    bool badRange = false;
    for (const auto& e : l_.usages) {
      if (auto span = ToSpan(e)) field.usages.push_back(*span);
      else badRange = true;
    }
    // Nothing reads a constant field, so a bad range costs nothing there; it is left out.
    const bool padding = bits == 0 || (flags & kFieldConstant);
    if (badRange && !padding) return Fail("bad usage range");
    tlc.fields.push_back(std::move(field));
    if (padding) return true;
    // Same order as l_.usages: no range was left out.
    const std::vector<UsageSpan>& declared = tlc.fields.back().usages;

    const int32_t logicalMax = g_.logicalMax.Above(g_.logicalMin);
    const int32_t physicalMax = g_.physicalMax.Above(g_.physicalMin);

    const uint16_t link = collectionStack_.back();
    const LinkCollectionNode& node = tlc.linkCollections[link];

    FieldCapsBase common;
    common.reportId = g_.reportId;
    common.bitField = flags;
    common.linkCollection = link;
    common.linkUsage = node.usage;
    common.linkUsagePage = node.usagePage;
    common.isAbsolute = !(flags & kFieldRelative);
    common.bitSize = static_cast<uint16_t>(g_.reportSize);
    common.logicalMin = g_.logicalMin;
    common.logicalMax = logicalMax;

    // A field without usages gets usage 0 of the current page.
    const UsageSpan none{g_.usagePage, 0, 0};
    const size_t spans = declared.empty() ? 1 : declared.size();
    auto fill = [&](FieldCapsBase& c, size_t i) {
      const UsageSpan& span = declared.empty() ? none : declared[i];
      c.usagePage = span.page;
      c.isRange = !declared.empty() && l_.usages[i].isRange;
      c.usageMin = span.min;
      c.usageMax = span.max;
    };
    auto roomFor = [&](size_t more) {
      size_t n = 0;
      for (int i = 0; i < kReportTypeCount; ++i) n += tlc.buttonCaps[i].size() + tlc.valueCaps[i].size();
      return n + more <= kMaxCapsPerCollection;
    };
    if (!roomFor(spans)) return Fail("too many capabilities");

    if (!(flags & kFieldVariable)) {
      // Array: every cap shares the item's bits; the element value picks a usage.
      uint32_t indexBase = 0;
      for (size_t i = 0; i < spans; ++i) {
        ButtonCaps c;
        static_cast<FieldCapsBase&>(c) = common;
        fill(c, i);
        c.isArray = true;
        c.bitPosition = base;
        c.reportCount = static_cast<uint16_t>(g_.reportCount);
        c.arrayIndexBase = indexBase;
        indexBase += uint32_t{c.usageMax} - c.usageMin + 1;
        tlc.buttonCaps[t].push_back(c);
      }
      return true;
    }

    // Variable: elements go to the usages in order, the last usage takes what is left.
    const bool button = g_.reportSize == 1;
    uint32_t element = 0;
    for (size_t i = 0; i < spans && element < g_.reportCount; ++i) {
      FieldCapsBase c = common;
      fill(c, i);
      const uint32_t span = uint32_t{c.usageMax} - c.usageMin + 1;
      const bool last = i + 1 == spans;
      uint32_t n = std::min(span, g_.reportCount - element);
      if (last) n = g_.reportCount - element;
      if (c.isRange && n < span) c.usageMax = static_cast<uint16_t>(c.usageMin + n - 1);
      c.bitPosition = base + element * g_.reportSize;
      c.reportCount = static_cast<uint16_t>(n);
      element += n;
      if (button) {
        ButtonCaps b;
        static_cast<FieldCapsBase&>(b) = c;
        tlc.buttonCaps[t].push_back(b);
      } else {
        // Every usage of a value range becomes a data item of the channel; keep that bounded.
        size_t items = c.usageMax - c.usageMin + 1u;
        for (const auto& other : tlc.valueCaps[t]) items += other.usageMax - other.usageMin + 1u;
        if (items > kMaxValueUsages) return Fail("too many value usages");
        ValueCaps v;
        static_cast<FieldCapsBase&>(v) = c;
        v.hasNull = (flags & kFieldNullState) != 0;
        v.units = g_.unit;
        v.unitsExponent = g_.unitExponent;
        v.physicalMin = g_.physicalMin;
        v.physicalMax = physicalMax;
        tlc.valueCaps[t].push_back(v);
      }
    }
    return true;
  }

  void Finish() {
    for (auto& tlc : out_.collections) {
      std::sort(tlc.reportIds.begin(), tlc.reportIds.end());
      tlc.usesReportIds = anyReportId_;
      if (!anyReportId_) tlc.reportIds.clear();
    }
    for (const auto& f : fieldsSeen_) {
      auto& tlc = out_.collections[f.collection];
      auto& list = tlc.reportBits[f.type];
      const uint32_t bits = reportBits_[f.type][f.reportId];
      if (std::none_of(list.begin(), list.end(), [&](auto& p) { return p.first == f.reportId; }))
        list.emplace_back(f.reportId, bits);
    }
    for (auto& tlc : out_.collections) {
      auto& caps = tlc.caps;
      uint16_t* lengths[3] = {&caps.inputReportByteLength, &caps.outputReportByteLength, &caps.featureReportByteLength};
      uint16_t* buttons[3] = {&caps.numberInputButtonCaps, &caps.numberOutputButtonCaps, &caps.numberFeatureButtonCaps};
      uint16_t* values[3] = {&caps.numberInputValueCaps, &caps.numberOutputValueCaps, &caps.numberFeatureValueCaps};
      uint16_t* indices[3] = {&caps.numberInputDataIndices, &caps.numberOutputDataIndices, &caps.numberFeatureDataIndices};
      for (int t = 0; t < kReportTypeCount; ++t) {
        uint32_t maxBits = 0;
        bool any = false;
        for (auto& [id, bits] : tlc.reportBits[t]) {
          maxBits = std::max(maxBits, bits);
          any = true;
        }
        *lengths[t] = any ? static_cast<uint16_t>(1 + (maxBits + 7) / 8) : 0;
        *buttons[t] = static_cast<uint16_t>(tlc.buttonCaps[t].size());
        *values[t] = static_cast<uint16_t>(tlc.valueCaps[t].size());
        uint32_t index = 0;
        auto number = [&](FieldCapsBase& c) {
          const uint32_t n = c.isRange ? uint32_t{c.usageMax} - c.usageMin + 1 : 1;
          c.dataIndexMin = static_cast<uint16_t>(index);
          c.dataIndexMax = static_cast<uint16_t>(index + n - 1);
          index += n;
        };
        for (auto& c : tlc.buttonCaps[t]) number(c);
        for (auto& c : tlc.valueCaps[t]) number(c);
        *indices[t] = static_cast<uint16_t>(std::min<uint32_t>(index, 0xFFFF));
      }
      caps.numberLinkCollectionNodes = static_cast<uint16_t>(tlc.linkCollections.size());
    }
  }

  struct FieldSeen {
    size_t collection;
    int type;
    uint8_t reportId;
  };

  const uint8_t* data_;
  size_t size_;
  ParsedDescriptor& out_;
  size_t offset_ = SIZE_MAX;
  GlobalState g_;
  LocalState l_;
  std::vector<GlobalState> stack_;
  std::vector<uint16_t> collectionStack_;  // link collection index per open collection
  std::map<uint8_t, uint32_t> reportBits_[kReportTypeCount];
  std::vector<FieldSeen> fieldsSeen_;
  bool anyReportId_ = false;
};

bool ValidType(ReportType type) { return static_cast<int>(type) < kReportTypeCount; }

// Checks that the report is long enough for its id's fields.
int32_t CheckReport(const TopLevelCollection& tlc, ReportType type, const uint8_t* report, size_t length) {
  if (!report || length < 1) return kHidStatusInvalidReportLength;
  const uint32_t need = tlc.ReportByteLength(type, report[0]);
  if (need == 0) return kHidStatusIncompatibleReportId;
  if (length < need) return kHidStatusInvalidReportLength;
  return kHidStatusSuccess;
}

bool LinkMatches(uint16_t wanted, uint16_t link) { return wanted == 0 || wanted == link; }

}  // namespace

bool TopLevelCollection::HasReportId(uint8_t id) const {
  if (!usesReportIds) return id == 0;
  return std::binary_search(reportIds.begin(), reportIds.end(), id);
}

uint32_t TopLevelCollection::ReportByteLength(ReportType t, uint8_t id) const {
  if (!ValidType(t)) return 0;
  for (const auto& [rid, bits] : reportBits[static_cast<int>(t)])
    if (rid == id) return 1 + (bits + 7) / 8;
  return 0;
}

int32_t ParseReportDescriptor(const uint8_t* data, size_t size, ParsedDescriptor& out) {
  out = ParsedDescriptor{};
  if (!data || size == 0) {
    out.error = "empty descriptor";
    return kHidStatusInvalidPreparsedData;
  }
  if (size > kMaxDescriptorBytes) {
    out.errorOffset = kMaxDescriptorBytes;
    out.error = "byte " + std::to_string(kMaxDescriptorBytes) + ": descriptor longer than " +
                std::to_string(kMaxDescriptorBytes) + " bytes";
    return kHidStatusInvalidPreparsedData;
  }
  Parser parser(data, size, out);
  return parser.Run() ? kHidStatusSuccess : kHidStatusInvalidPreparsedData;
}

uint32_t MaxUsageListLength(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage) {
  if (!ValidType(type)) return 0;
  uint32_t n = 0;
  for (const auto& c : tlc.Buttons(type)) {
    if (usagePage != 0 && c.usagePage != usagePage) continue;
    n += c.reportCount;
  }
  return n;
}

int32_t GetUsages(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                  uint16_t linkCollection, uint16_t* usages, uint32_t& count,
                  const uint8_t* report, size_t reportLength) {
  const uint32_t capacity = usages ? count : 0;
  count = 0;
  if (!ValidType(type)) return kHidStatusInvalidReportType;
  bool found = false, inReport = false, overflow = false;
  const uint8_t id = report && reportLength > 0 ? report[0] : 0;
  auto add = [&](uint32_t usage) {
    if (count < capacity) usages[count++] = static_cast<uint16_t>(usage);
    else overflow = true;
  };
  for (const auto& c : tlc.Buttons(type)) {
    if (c.usagePage != usagePage || !LinkMatches(linkCollection, c.linkCollection)) continue;
    found = true;
    if (c.reportId != id) continue;
    if (const int32_t st = CheckReport(tlc, type, report, reportLength); st != kHidStatusSuccess) return st;
    inReport = true;
    if (c.isArray) {
      const uint32_t span = uint32_t{c.usageMax} - c.usageMin + 1;
      for (uint32_t e = 0; e < c.reportCount; ++e) {
        const uint32_t raw = ReadBits(report, c.bitPosition + e * c.bitSize, c.bitSize);
        const int64_t v = ToLogical(raw, c.bitSize, c.logicalMin);
        if (v < c.logicalMin || v > c.logicalMax) continue;  // out of range: no usage
        const int64_t index = v - c.logicalMin - c.arrayIndexBase;
        if (index < 0 || index >= span) continue;
        const uint32_t usage = c.usageMin + static_cast<uint32_t>(index);
        if (usage != 0) add(usage);
      }
    } else {
      for (uint32_t e = 0; e < c.reportCount; ++e) {
        if (!ReadBits(report, c.bitPosition + e, 1)) continue;
        add(c.isRange ? std::min<uint32_t>(c.usageMin + e, c.usageMax) : c.usageMin);
      }
    }
  }
  if (!found) return kHidStatusUsageNotFound;
  if (!inReport) return kHidStatusIncompatibleReportId;
  return overflow ? kHidStatusBufferTooSmall : kHidStatusSuccess;
}

namespace {

// Finds the value cap and element of a usage; status when there is none for this report.
int32_t FindValue(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                  uint16_t linkCollection, uint16_t usage, const uint8_t* report, size_t length,
                  const ValueCaps*& cap, uint32_t& element) {
  if (!ValidType(type)) return kHidStatusInvalidReportType;
  bool found = false;
  const uint8_t id = report && length > 0 ? report[0] : 0;
  for (const auto& c : tlc.Values(type)) {
    if (c.usagePage != usagePage || !LinkMatches(linkCollection, c.linkCollection)) continue;
    if (usage < c.usageMin || usage > c.usageMax) continue;
    found = true;
    if (c.reportId != id) continue;
    if (const int32_t st = CheckReport(tlc, type, report, length); st != kHidStatusSuccess) return st;
    cap = &c;
    element = c.isRange ? uint32_t{usage} - c.usageMin : 0;
    if (element >= c.reportCount) element = c.reportCount - 1;
    return kHidStatusSuccess;
  }
  return found ? kHidStatusIncompatibleReportId : kHidStatusUsageNotFound;
}

// The value usage's caps and the raw bits of its element in the report: the low 32, and what
// lies above them in a wider field.
int32_t ReadRawValue(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage, uint16_t linkCollection,
                     uint16_t usage, const uint8_t* report, size_t reportLength, const ValueCaps*& cap,
                     uint32_t& raw, HighBits& high) {
  uint32_t element = 0;
  const int32_t st = FindValue(tlc, type, usagePage, linkCollection, usage, report, reportLength, cap, element);
  if (st != kHidStatusSuccess) return st;
  const uint32_t at = cap->bitPosition + element * cap->bitSize;
  raw = ReadBits(report, at, cap->bitSize);
  high = ReadHighBits(report, at, cap->bitSize);
  return kHidStatusSuccess;
}

}  // namespace

int32_t GetUsageValue(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                      uint16_t linkCollection, uint16_t usage, uint32_t& value,
                      const uint8_t* report, size_t reportLength) {
  const ValueCaps* cap = nullptr;
  uint32_t raw = 0;
  HighBits high;
  const int32_t st = ReadRawValue(tlc, type, usagePage, linkCollection, usage, report, reportLength, cap, raw, high);
  if (st != kHidStatusSuccess) return st;
  if (!high.zero) return kHidStatusBufferTooSmall;
  value = raw;
  return kHidStatusSuccess;
}

int32_t GetScaledUsageValue(const TopLevelCollection& tlc, ReportType type, uint16_t usagePage,
                            uint16_t linkCollection, uint16_t usage, int32_t& value,
                            const uint8_t* report, size_t reportLength) {
  const ValueCaps* cap = nullptr;
  uint32_t raw = 0;
  HighBits high;
  if (const int32_t st =
          ReadRawValue(tlc, type, usagePage, linkCollection, usage, report, reportLength, cap, raw, high);
      st != kHidStatusSuccess)
    return st;
  const int64_t logical = ToLogical(raw, cap->bitSize, cap->logicalMin);
  // A wide field's value fits when the bits above 32 extend the low 32 (as zeros when unsigned).
  const bool negative = cap->logicalMin < 0 && (raw >> 31) != 0;
  const bool fits = negative ? high.ones : high.zero;
  if (cap->logicalMax <= cap->logicalMin) return kHidStatusBadLogPhyValues;
  if (!fits || logical < cap->logicalMin || logical > cap->logicalMax) return kHidStatusNull;
  if (cap->physicalMin == 0 && cap->physicalMax == 0) {
    value = static_cast<int32_t>(logical);
    return kHidStatusSuccess;
  }
  if (cap->physicalMax <= cap->physicalMin) return kHidStatusBadLogPhyValues;
  const int64_t scaled = cap->physicalMin + (logical - cap->logicalMin) *
                                                (int64_t{cap->physicalMax} - cap->physicalMin) /
                                                (int64_t{cap->logicalMax} - cap->logicalMin);
  value = static_cast<int32_t>(scaled);
  return kHidStatusSuccess;
}

}  // namespace orlo::hid
