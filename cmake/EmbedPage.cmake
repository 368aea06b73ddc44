# Writes OUTPUT, a C++ source holding the page's files (TEMPLATE, STYLE,
# SCRIPT) as byte arrays, exactly as they are on disk, and the base64 SHA-256
# digests of the style and the script for the page's content-security policy.
# Run with cmake -P at build time, so an edit of the page rebuilds the tool.

set(alphabet "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/")

# The base64 form of the SHA-256 digest of a file.
function(digest_base64 file out)
  file(SHA256 "${file}" hex)
  set(hex "${hex}00")  # 32 bytes: ten groups of three and two bytes left
  set(text "")
  foreach(group RANGE 0 10)
    math(EXPR at "${group} * 6")
    string(SUBSTRING "${hex}" ${at} 6 chunk)
    math(EXPR value "0x${chunk}")
    foreach(shift 18 12 6 0)
      math(EXPR index "(${value} >> ${shift}) & 63")
      string(SUBSTRING "${alphabet}" ${index} 1 char)
      string(APPEND text "${char}")
    endforeach()
  endforeach()
  # 32 bytes make 43 characters and one "=".
  string(SUBSTRING "${text}" 0 43 text)
  set(${out} "${text}=" PARENT_SCOPE)
endfunction()

function(byte_array file name out)
  file(READ "${file}" hex HEX)
  string(LENGTH "${hex}" length)
  math(EXPR size "${length} / 2")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," bytes "${hex}")
  set(${out} "const unsigned char ${name}Bytes[] = {\n${bytes}0};\nconst PageAsset ${name}{reinterpret_cast<const char*>(${name}Bytes), ${size}};\n" PARENT_SCOPE)
endfunction()

byte_array("${TEMPLATE}" kPageTemplate template_array)
byte_array("${STYLE}" kPageStyle style_array)
byte_array("${SCRIPT}" kPageScript script_array)
digest_base64("${STYLE}" style_digest)
digest_base64("${SCRIPT}" script_digest)

file(WRITE "${OUTPUT}.new" "// Generated from cli/page by cmake/EmbedPage.cmake; do not edit.
#include \"cli/PageAssets.h\"

namespace cataloom::cli {

${template_array}
${style_array}
${script_array}
const char kPageStyleDigest[] = \"sha256-${style_digest}\";
const char kPageScriptDigest[] = \"sha256-${script_digest}\";

}  // namespace cataloom::cli
")
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
