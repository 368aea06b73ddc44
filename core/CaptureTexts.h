// The texts the capture shows on its progress window's phase and detail
// lines, numbered as in the string table.
#pragma once

namespace cataloom::capture_text {

constexpr const char kBuildingIndex[] = "インデックスを作成しています。";            // 300
constexpr const char kIndexFailed[] = "インデックス作成に失敗しました。";            // 301
constexpr const char kCreatingFile[] = "ファイルを作成しています";                   // 302
constexpr const char kCannotOpenFile[] =
    "ファイルを開けませんでした。\nファイルが読取専用になっていないか確認してください。";  // 303
constexpr const char kWritingFile[] = "取得した情報をファイルへ書き出しています";      // 304
constexpr const char kComputingSizes[] = "ファイルサイズをの計算しています";          // 305
constexpr const char kCaptureComplete[] = "データの取得を完了しました";               // 306
constexpr const char kCaptureFailed[] = "イメージを作成できませんでした。";           // 307
constexpr const char kPressF5[] = "ディスクが表示されない場合はF5キーを押してください。";  // 308
constexpr const char kNoMediaInfo[] = "メディアの情報を取得できませんでした。";        // 320

// Why a catalogue could not be written, where the system says so.
constexpr const char kDiskFull[] = "ディスクの空き容量が足りません。";
constexpr const char kReadOnly[] = "書き込み先が読取専用です。";
constexpr const char kAccessDenied[] = "書き込む権限がありません。";
constexpr const char kNameTooLong[] = "ファイル名が長すぎます。";

}  // namespace cataloom::capture_text
