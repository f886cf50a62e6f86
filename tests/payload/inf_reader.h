// A small reader of INF texts that follows the rules Windows applies: sections in brackets,
// ';' starts a comment outside double quotes, "key = value" lines (key and section names
// compare without regard to case), values split into comma-separated fields with the
// enclosing quotes removed, and %key% replaced from [Strings].
#pragma once

#include <string>
#include <vector>

struct InfLine {
  std::string key;                  // empty for a line without '='
  std::string value;                // text after '=' (or the whole line), trimmed, comment removed
  std::vector<std::string> fields;  // value split at commas, trimmed and unquoted
};

struct InfSection {
  std::string name;
  std::vector<InfLine> lines;
};

struct InfFile {
  std::vector<InfSection> sections;

  const InfSection* Find(const std::string& section) const;
  // Values of every line of `section` whose key is `key`, in file order.
  std::vector<std::string> Values(const std::string& section, const std::string& key) const;
  // The single value of `key`; empty when absent. Quotes of a single-field value removed.
  std::string Value(const std::string& section, const std::string& key) const;
  // Replaces every %name% by its [Strings] value.
  std::string Expand(const std::string& text) const;
};

InfFile ParseInf(const std::string& text);
// Splits a value into comma-separated fields, trimmed, enclosing quotes removed.
std::vector<std::string> SplitFields(const std::string& value);
std::string ReadFileBytes(const std::string& path);
bool EqualsNoCase(const std::string& a, const std::string& b);
std::string PayloadSource(const std::string& relative);  // path under payload/ of the source tree
