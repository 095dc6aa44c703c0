' hibe.vbs: パソコンを休止状態にするスクリプトの例です。
'
' Horvane2010 の「休止状態(R)」は、Horvane2010.exe と同じフォルダーにある
' vbs フォルダーの中のこのファイル（vbs\hibe.vbs）を実行するように作られて
' いますが、このバージョンの Horvane2010 からは実行できません（メニューに
' 表示されません）。使うときは、このファイルをダブルクリックしてください。
' 休止状態にする前に確認します。
'
' 休止状態が無効になっているパソコンでは、何も起きません。有効にするには、
' 管理者としてコマンド プロンプトを開き（スタート メニューで cmd と入力し、
' 「コマンド プロンプト」を右クリックして「管理者として実行」を選びます）、
' 次のコマンドを実行してください。
'     powercfg /hibernate on
'
' このファイルを書き換えたときは、文字コードを変えずに（「Unicode」または
' 「UTF-16 LE」のまま）保存してください。Windows Script Host は UTF-8 で
' 保存したスクリプトを正しく読めません。

Option Explicit

' ダブルクリックひとつで作業中のパソコンが止まらないように、先に確認します。
' 「キャンセル」を押すと何もしません（最初に選ばれているのも「キャンセル」です）。
If MsgBox("休止状態にしますか？", vbOKCancel + vbQuestion + vbDefaultButton2, "休止状態") <> vbOK Then
    WScript.Quit
End If

Dim shell
Set shell = CreateObject("WScript.Shell")

' Windows の shutdown コマンドを、場所を省略せずに指定します
' （%SystemRoot% は Windows のフォルダーに置き換わります）。
' /h は休止状態にするオプションです。
' 2 番目の 0 は「コマンド プロンプトのウィンドウを表示しない」、
' 3 番目の False は「コマンドの終わりを待たない」という意味です。
shell.Run "%SystemRoot%\System32\shutdown.exe /h", 0, False
