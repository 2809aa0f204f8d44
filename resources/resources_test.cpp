// Checks, from inside a process linked with vornelle_resources, the resources as Windows sees
// them: the icon group and its images, the version record and the absence of a manifest.
#ifndef UNICODE
#define UNICODE
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "resource_ids.h"

namespace {

// Layout of an RT_GROUP_ICON resource (not declared by the SDK headers).
#pragma pack(push, 2)
struct GroupIconEntry {
  BYTE width;  // 0 means 256
  BYTE height;
  BYTE color_count;
  BYTE reserved;
  WORD planes;
  WORD bit_count;
  DWORD bytes_in_res;
  WORD id;
};
struct GroupIconHeader {
  WORD reserved;
  WORD type;
  WORD count;
};
#pragma pack(pop)
static_assert(sizeof(GroupIconEntry) == 14);
static_assert(sizeof(GroupIconHeader) == 6);

struct ExpectedImage {
  int size;
  int bits;
  bool png;
};

// In RT_ICON id order (id = index + 1).
constexpr ExpectedImage kImages[] = {
    {48, 8, false},   {32, 8, false},  {24, 8, false},  {16, 8, false},  {256, 32, true},
    {128, 32, false}, {96, 32, false}, {72, 32, false}, {64, 32, false}, {48, 32, false},
    {32, 32, false},  {24, 32, false}, {16, 32, false},
};
constexpr int kImageCount = static_cast<int>(std::size(kImages));

constexpr WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
constexpr BYTE kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

struct Blob {
  const BYTE* data = nullptr;
  DWORD size = 0;
};

Blob LoadBlob(HRSRC info) {
  Blob blob;
  if (info == nullptr) return blob;
  HGLOBAL handle = LoadResource(nullptr, info);
  if (handle == nullptr) return blob;
  blob.data = static_cast<const BYTE*>(LockResource(handle));
  blob.size = SizeofResource(nullptr, info);
  return blob;
}

Blob IconImage(int id) {
  return LoadBlob(FindResourceW(nullptr, MAKEINTRESOURCEW(id), RT_ICON));
}

std::vector<GroupIconEntry> GroupEntries(const Blob& blob) {
  std::vector<GroupIconEntry> entries;
  if (blob.size < sizeof(GroupIconHeader)) return entries;
  GroupIconHeader header;
  std::memcpy(&header, blob.data, sizeof header);
  if (blob.size < sizeof header + header.count * sizeof(GroupIconEntry)) return entries;
  entries.resize(header.count);
  std::memcpy(entries.data(), blob.data + sizeof header, header.count * sizeof(GroupIconEntry));
  return entries;
}

BOOL CALLBACK CollectName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR param) {
  auto* names = reinterpret_cast<std::set<std::wstring>*>(param);
  names->insert(IS_INTRESOURCE(name) ? L"#" + std::to_wstring(reinterpret_cast<ULONG_PTR>(name))
                                     : std::wstring(name));
  return TRUE;
}

std::set<std::wstring> ResourceNames(LPCWSTR type) {
  std::set<std::wstring> names;
  EnumResourceNamesW(nullptr, type, CollectName, reinterpret_cast<LONG_PTR>(&names));
  return names;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCWSTR, LPCWSTR, WORD language, LONG_PTR param) {
  reinterpret_cast<std::vector<WORD>*>(param)->push_back(language);
  return TRUE;
}

BOOL CALLBACK CollectType(HMODULE, LPWSTR type, LONG_PTR param) {
  if (IS_INTRESOURCE(type)) {
    reinterpret_cast<std::set<ULONG_PTR>*>(param)->insert(reinterpret_cast<ULONG_PTR>(type));
  }
  return TRUE;
}

TEST(IconGroup, IsTheOnlyGroupAndLanguageNeutral) {
  EXPECT_NE(FindResourceExW(nullptr, RT_GROUP_ICON, IDI_APP_ICON_NAME, kNeutral), nullptr);
  EXPECT_EQ(ResourceNames(RT_GROUP_ICON), std::set<std::wstring>{L"DEFAULT_ICON"});
  std::vector<WORD> languages;
  EnumResourceLanguagesW(nullptr, RT_GROUP_ICON, IDI_APP_ICON_NAME, CollectLanguage,
                         reinterpret_cast<LONG_PTR>(&languages));
  EXPECT_EQ(languages, std::vector<WORD>{kNeutral});
}

TEST(IconGroup, ImageIdsAreOneToThirteen) {
  std::set<std::wstring> expected;
  for (int id = 1; id <= kImageCount; ++id) expected.insert(L"#" + std::to_wstring(id));
  EXPECT_EQ(ResourceNames(RT_ICON), expected);
}

TEST(IconGroup, DirectoryListsTheImagesInOrder) {
  Blob group = LoadBlob(FindResourceExW(nullptr, RT_GROUP_ICON, IDI_APP_ICON_NAME, kNeutral));
  ASSERT_NE(group.data, nullptr);
  GroupIconHeader header;
  ASSERT_GE(group.size, sizeof header);
  std::memcpy(&header, group.data, sizeof header);
  EXPECT_EQ(header.reserved, 0);
  EXPECT_EQ(header.type, 1);  // icon, not cursor
  std::vector<GroupIconEntry> entries = GroupEntries(group);
  ASSERT_EQ(static_cast<int>(entries.size()), kImageCount);
  for (int i = 0; i < kImageCount; ++i) {
    SCOPED_TRACE("entry " + std::to_string(i + 1));
    const GroupIconEntry& entry = entries[i];
    const ExpectedImage& want = kImages[i];
    EXPECT_EQ(entry.width == 0 ? 256 : entry.width, want.size);
    EXPECT_EQ(entry.height == 0 ? 256 : entry.height, want.size);
    EXPECT_EQ(entry.bit_count, want.bits);
    EXPECT_EQ(entry.color_count, 0);
    EXPECT_EQ(entry.reserved, 0);
    EXPECT_EQ(entry.planes, 1);
    EXPECT_EQ(entry.id, i + 1);
    EXPECT_EQ(entry.bytes_in_res, IconImage(entry.id).size);
  }
}

// Each RT_ICON holds what the group says: a PNG for the 256 image, a DIB of the right size and
// depth (height doubled for the AND mask) for the others.
TEST(IconImages, DataMatchesSizeAndFormat) {
  for (int i = 0; i < kImageCount; ++i) {
    SCOPED_TRACE("RT_ICON " + std::to_string(i + 1));
    const ExpectedImage& want = kImages[i];
    Blob image = IconImage(i + 1);
    ASSERT_NE(image.data, nullptr);
    if (want.png) {
      ASSERT_GE(image.size, 33u);  // signature + IHDR chunk
      EXPECT_EQ(std::memcmp(image.data, kPngSignature, sizeof kPngSignature), 0);
      EXPECT_EQ(std::memcmp(image.data + 12, "IHDR", 4), 0);
      auto be32 = [&](int at) {
        return (DWORD{image.data[at]} << 24) | (DWORD{image.data[at + 1]} << 16) |
               (DWORD{image.data[at + 2]} << 8) | DWORD{image.data[at + 3]};
      };
      EXPECT_EQ(be32(16), static_cast<DWORD>(want.size));
      EXPECT_EQ(be32(20), static_cast<DWORD>(want.size));
      EXPECT_EQ(image.data[24], 8);  // bits per channel
      EXPECT_EQ(image.data[25], 6);  // RGBA
      continue;
    }
    BITMAPINFOHEADER bmi;
    ASSERT_GE(image.size, sizeof bmi);
    std::memcpy(&bmi, image.data, sizeof bmi);
    EXPECT_EQ(bmi.biSize, sizeof bmi);
    EXPECT_EQ(bmi.biWidth, want.size);
    EXPECT_EQ(bmi.biHeight, 2 * want.size);
    EXPECT_EQ(bmi.biBitCount, want.bits);
    EXPECT_EQ(bmi.biCompression, static_cast<DWORD>(BI_RGB));
    const DWORD palette = want.bits == 8 ? 256 * 4 : 0;
    const DWORD colour = ((want.size * want.bits + 31) / 32 * 4) * want.size;
    const DWORD mask = ((want.size + 31) / 32 * 4) * want.size;
    EXPECT_EQ(image.size, sizeof bmi + palette + colour + mask);
  }
}

// Every image becomes an icon of its own size, with a see-through corner and an opaque middle.
TEST(IconImages, DrawWithTransparentCorners) {
  constexpr DWORD kMarker = 0x00FF00FF;
  for (int i = 0; i < kImageCount; ++i) {
    SCOPED_TRACE("RT_ICON " + std::to_string(i + 1));
    const int size = kImages[i].size;
    Blob image = IconImage(i + 1);
    ASSERT_NE(image.data, nullptr);
    HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data), image.size, TRUE,
                                          0x00030000, size, size, LR_DEFAULTCOLOR);
    ASSERT_NE(icon, nullptr);

    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = size;
    info.bmiHeader.biHeight = -size;  // top-down
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP canvas = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    ASSERT_NE(canvas, nullptr);
    HGDIOBJ old = SelectObject(dc, canvas);
    auto* pixels = static_cast<DWORD*>(bits);
    for (int p = 0; p < size * size; ++p) pixels[p] = kMarker;
    EXPECT_TRUE(DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL));
    GdiFlush();
    auto at = [&](int x, int y) { return pixels[y * size + x] & 0x00FFFFFF; };
    EXPECT_EQ(at(0, 0), kMarker);
    EXPECT_EQ(at(size - 1, size - 1), kMarker);
    EXPECT_NE(at(size / 2, size / 2), kMarker);
    EXPECT_NE(at(size / 4, size - 1 - size / 4), kMarker);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    DestroyIcon(icon);
  }
}

// The way the window code loads its small icon.
TEST(IconImages, WindowImageMakesA16x16Icon) {
  Blob image = IconImage(IDI_WINDOW_IMAGE);
  ASSERT_NE(image.data, nullptr);
  HICON icon = CreateIconFromResourceEx(const_cast<BYTE*>(image.data), image.size, TRUE, 0x00030000,
                                        16, 16, LR_DEFAULTCOLOR);
  ASSERT_NE(icon, nullptr);
  ICONINFO info = {};
  ASSERT_TRUE(GetIconInfo(icon, &info));
  EXPECT_TRUE(info.fIcon);
  ASSERT_NE(info.hbmColor, nullptr);
  BITMAP bitmap = {};
  ASSERT_NE(GetObjectW(info.hbmColor, sizeof bitmap, &bitmap), 0);
  EXPECT_EQ(bitmap.bmWidth, 16);
  EXPECT_EQ(bitmap.bmHeight, 16);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  DestroyIcon(icon);
}

// --- version record ---------------------------------------------------------------------------

std::vector<BYTE> OwnVersionInfo() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  if (length == 0 || length == MAX_PATH) return {};
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(path, &ignored);
  if (size == 0) return {};
  std::vector<BYTE> data(size);
  if (!GetFileVersionInfoW(path, 0, size, data.data())) return {};
  return data;
}

TEST(VersionInfo, FixedPart) {
  std::vector<BYTE> data = OwnVersionInfo();
  ASSERT_FALSE(data.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", &value, &length));
  ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
  VS_FIXEDFILEINFO fixed;
  std::memcpy(&fixed, value, sizeof fixed);
  EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);  // 1.0
  EXPECT_EQ(fixed.dwFileVersionLS, 0x00020000u);  // 2.0
  EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
  EXPECT_EQ(fixed.dwProductVersionLS, 0x00020000u);
  EXPECT_EQ(fixed.dwFileFlagsMask, 0x3Fu);
  EXPECT_EQ(fixed.dwFileFlags, 0u);
  EXPECT_EQ(fixed.dwFileOS, static_cast<DWORD>(VOS__WINDOWS32));
  EXPECT_EQ(fixed.dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(fixed.dwFileSubtype, 0u);
}

TEST(VersionInfo, SingleTranslation) {
  std::vector<BYTE> data = OwnVersionInfo();
  ASSERT_FALSE(data.empty());
  void* value = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", &value, &length));
  ASSERT_EQ(length, 2 * sizeof(WORD));
  WORD pair[2];
  std::memcpy(pair, value, sizeof pair);
  EXPECT_EQ(pair[0], 0x0804);
  EXPECT_EQ(pair[1], 1200);
}

TEST(VersionInfo, Strings) {
  struct Case {
    const wchar_t* key;
    const wchar_t* value;
  };
  const Case cases[] = {
      {L"FileVersion", L"1.0.2.0"},
      {L"ProductVersion", L"1.0.2.0"},
      {L"ProductName", L"Vornelle"},
      {L"OriginalFilename", L"vornelle.exe"},
  };
  std::vector<BYTE> data = OwnVersionInfo();
  ASSERT_FALSE(data.empty());
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.key, c.key + wcslen(c.key)));
    std::wstring query = std::wstring(L"\\StringFileInfo\\080404B0\\") + c.key;
    void* value = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(data.data(), query.c_str(), &value, &length));
    EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)), c.value);
  }
}

// The raw RT_VERSION tree: wLength, wValueLength, wType, key, padding, value, padding, children.
struct VersionNode {
  std::wstring key;
  WORD value_length = 0;
  WORD type = 0;
  std::vector<VersionNode> children;
};

bool ParseVersionNode(const BYTE* base, size_t begin, size_t end, VersionNode* node) {
  auto word = [&](size_t at) {
    WORD w;
    std::memcpy(&w, base + at, sizeof w);
    return w;
  };
  auto align = [](size_t at) { return (at + 3) & ~size_t{3}; };
  if (begin + 6 > end) return false;
  const size_t length = word(begin);
  if (length < 6 || begin + length > end) return false;
  const size_t stop = begin + length;
  node->value_length = word(begin + 2);
  node->type = word(begin + 4);
  size_t at = begin + 6;
  for (;; at += 2) {
    if (at + 2 > stop) return false;
    WORD c = word(at);
    if (c == 0) break;
    node->key.push_back(static_cast<wchar_t>(c));
  }
  at = align(at + 2);
  at = align(at + node->value_length * (node->type == 1 ? 2 : 1));
  while (at < stop) {
    VersionNode child;
    if (!ParseVersionNode(base, at, stop, &child)) return false;
    at = align(at + word(at));
    node->children.push_back(std::move(child));
  }
  return true;
}

std::vector<std::wstring> Keys(const VersionNode& node) {
  std::vector<std::wstring> keys;
  for (const VersionNode& child : node.children) keys.push_back(child.key);
  return keys;
}

const VersionNode* Child(const VersionNode& node, const std::wstring& key) {
  for (const VersionNode& child : node.children) {
    if (child.key == key) return &child;
  }
  return nullptr;
}

TEST(VersionInfo, ExactlyOneStringTable) {
  Blob raw = LoadBlob(FindResourceW(nullptr, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION));
  ASSERT_NE(raw.data, nullptr);
  VersionNode root;
  ASSERT_TRUE(ParseVersionNode(raw.data, 0, raw.size, &root));
  EXPECT_EQ(root.key, L"VS_VERSION_INFO");
  EXPECT_EQ(root.value_length, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(Keys(root), (std::vector<std::wstring>{L"StringFileInfo", L"VarFileInfo"}));
  const VersionNode* strings = Child(root, L"StringFileInfo");
  ASSERT_NE(strings, nullptr);
  EXPECT_EQ(Keys(*strings), std::vector<std::wstring>{L"080404B0"});
  const VersionNode* vars = Child(root, L"VarFileInfo");
  ASSERT_NE(vars, nullptr);
  ASSERT_EQ(Keys(*vars), std::vector<std::wstring>{L"Translation"});
  EXPECT_EQ(vars->children[0].value_length, 4);
}

// --- manifest ---------------------------------------------------------------------------------

TEST(Manifest, NoneEmbedded) {
  EXPECT_EQ(FindResourceW(nullptr, MAKEINTRESOURCEW(1), RT_MANIFEST), nullptr);
  std::set<ULONG_PTR> types;
  EnumResourceTypesW(nullptr, CollectType, reinterpret_cast<LONG_PTR>(&types));
  EXPECT_EQ(types.count(reinterpret_cast<ULONG_PTR>(RT_MANIFEST)), 0u);
  // Sanity check of the enumeration itself.
  EXPECT_EQ(types.count(reinterpret_cast<ULONG_PTR>(RT_GROUP_ICON)), 1u);
}

}  // namespace
