# Sourced by the demonstration scripts: a sample medium with Japanese names,
# captured into a data folder of one category and two catalogues.
#
#   cataloom_sample_data FOLDER
# makes FOLDER/sample (the medium) and FOLDER/DataRoot:
#   サンプル\sample.vmf   the whole medium, named サンプル
#   文書.vmf              its 文書 directory, named 文書
# Needs the wine environment (wine-env.sh) and build/win64/cli/cataloom.exe.
cataloom_sample_data() {
  local demo=$1
  local sample="$demo/sample" data="$demo/DataRoot"
  local capture="$CATALOOM_ROOT/build/win64/cli/cataloom.exe"
  rm -rf "$sample" "$data"
  # The sample medium: Japanese names (ソフト's second byte is a backslash),
  # nested directories, an empty one.
  mkdir -p "$sample/写真/2026夏" "$sample/音楽/アルバム" "$sample/文書" "$sample/空のフォルダ" "$sample/ソフト/表計算"
  head -c 2400000 /dev/zero > "$sample/写真/2026夏/海.jpg"
  head -c 1800000 /dev/zero > "$sample/写真/2026夏/山.jpg"
  head -c 4200000 /dev/zero > "$sample/音楽/アルバム/01 はじまり.mp3"
  head -c 3900000 /dev/zero > "$sample/音楽/アルバム/02 おわり.mp3"
  head -c 150000 /dev/zero > "$sample/ソフト/表計算/能率表.xls"
  head -c 64000 /dev/zero > "$sample/ソフト/setup.exe"
  printf 'Cataloom sample\r\n' > "$sample/文書/readme.txt"
  printf '%s\r\n' '目録の見本です。' > "$sample/文書/メモ.txt"
  touch -d '2026-01-15 09:30' "$sample/文書/readme.txt"

  mkdir -p "$data/サンプル"
  # A first call starts the prefix's services away from the caller's output.
  wine cmd /c exit </dev/null >/dev/null 2>&1 || true
  local log="$demo/capture.log"
  : > "$log"
  wine "$capture" capture "$(winepath -w "$sample" 2>/dev/null)" \
    -o "$(winepath -w "$data/サンプル/sample.vmf" 2>/dev/null)" --name サンプル </dev/null >>"$log" 2>&1 &&
  wine "$capture" capture "$(winepath -w "$sample/文書" 2>/dev/null)" \
    -o "$(winepath -w "$data/文書.vmf" 2>/dev/null)" --name 文書 </dev/null >>"$log" 2>&1 ||
    { cat "$log"; return 1; }
}
