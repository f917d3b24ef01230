# Turns a UTF-8 text file into a C++ source that defines it as one string.
file(READ ${INPUT} CONTENT HEX)
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," BYTES "${CONTENT}")
file(WRITE ${OUTPUT}
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <string_view>\n"
  "namespace trubkom::selection {\n"
  "extern const std::string_view kPropertyVocabularyText;\n"
  "static const char kBytes[] = {${BYTES} 0};\n"
  "const std::string_view kPropertyVocabularyText(kBytes, sizeof kBytes - 1);\n"
  "}\n")
