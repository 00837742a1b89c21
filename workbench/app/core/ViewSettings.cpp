#include "ViewSettings.h"

#include <cctype>
#include <cstdio>

#include "IniKeys.h"
#include "Profile.h"

void CWindowState::Load(const CIniFile& ini) {
  const std::string position = ini.GetString(ini::kWindowPosition);
  int v[4];
  char rest;
  // Four integers and nothing after them; anything else leaves the system's placement.
  hasPosition = std::sscanf(position.c_str(), "%d %d %d %d %c", &v[0], &v[1], &v[2], &v[3], &rest) == 4 &&
                v[2] > 0 && v[3] > 0;
  if (hasPosition) {
    left = v[0];
    top = v[1];
    width = v[2];
    height = v[3];
  }
  columnWidth[0] = ini.GetInt(ini::kColumnWidth0);
  columnWidth[1] = ini.GetInt(ini::kColumnWidth1);
  rowHeight[0] = ini.GetInt(ini::kRowHeight0);
  hasRowHeight = !ini.GetString(ini::kRowHeight0.section, ini::kRowHeight0.key, "").empty();
  rowHeight[1] = ini.GetInt(ini::kRowHeight1);
}

void CWindowState::Save(CIniFile& ini) const {
  char text[96];
  std::snprintf(text, sizeof text, "%d %d %d %d", left, top, width, height);
  ini.WriteString(ini::kWindowPosition, text);
  ini.WriteInt(ini::kColumnWidth0, columnWidth[0]);
  ini.WriteInt(ini::kColumnWidth1, columnWidth[1]);
  ini.WriteInt(ini::kRowHeight0, rowHeight[0]);
  ini.WriteInt(ini::kRowHeight1, rowHeight[1]);
}

CFontRecord LoadEditorFont(const CIniFile& ini) {
  return {ini.GetString(ini::kEditorFontFaceName), ini.GetInt(ini::kEditorFontHeight)};
}

void SaveEditorFont(CIniFile& ini, const CFontRecord& font) {
  ini.WriteString(ini::kEditorFontFaceName, font.face);
  ini.WriteInt(ini::kEditorFontHeight, font.height);
}

const char* LanguageCode(CaptionLanguage language) {
  return language == CaptionLanguage::kEnglish ? "en" : "ja";
}

bool ParseLanguage(const std::string& name, CaptionLanguage& language) {
  // The letters of the language code, after any blanks; a territory, an encoding or blanks may
  // follow them.
  std::string code;
  std::size_t at = name.find_first_not_of(" \t");
  for (; at < name.size() && std::isalpha(static_cast<unsigned char>(name[at])); ++at)
    code += static_cast<char>(std::tolower(static_cast<unsigned char>(name[at])));
  if (code == "ja") {
    language = CaptionLanguage::kJapanese;
    return true;
  }
  if (code == "en") {
    language = CaptionLanguage::kEnglish;
    return true;
  }
  return false;
}

CaptionLanguage StoredLanguage(const CIniFile& ini) {
  CaptionLanguage language = CaptionLanguage::kJapanese;
  ParseLanguage(ini.GetString(ini::kLanguage), language);
  return language;
}

void StoreLanguage(CIniFile& ini, CaptionLanguage language) { ini.WriteString(ini::kLanguage, LanguageCode(language)); }

CaptionLanguage RunLanguage(const CIniFile& ini, const std::string& environmentValue) {
  CaptionLanguage language = StoredLanguage(ini);
  ParseLanguage(environmentValue, language);
  return language;
}
