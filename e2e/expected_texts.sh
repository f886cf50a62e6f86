# The texts the product shows, as the robot reports them (UTF-8). Sourced by the scenarios and the demo.
# Each piece is one line of the usage text with its own line end (CR LF; LF CR
# after the example lines, none after the last): a message box shows the text exactly as given.

E2E_USAGE_CAPTION_EN=HELP
E2E_USAGE_EN=$(printf %s \
  'Command line:'$'\r\n' \
  ' /? Show this help'$'\r\n' \
  ' /i Install driver without user interface'$'\r\n' \
  ' /r Remove driver without user interface'$'\r\n' \
  ' /s Install or remove silently'$'\r\n' \
  ' /Dos Support Dos utility. '$'\r\n' \
  ' /T0 Not-detect-print-busy mode (default)'$'\r\n' \
  ' /T1 Detect-print-busy mode'$'\r\n' \
  ' /P0 Support both parallel and USB TAVREL(default)'$'\r\n' \
  ' /P1 Support parallel TAVREL '$'\r\n' \
  ' /P2 Support USB TAVREL'$'\r\n' \
  ' /N  Quit if driver installed .'$'\r\n' \
  ' /E  Only use english language.'$'\r\n' \
  ' /D278 or /D378 or /D3BC  Disable specified port when searching.'$'\r\n' \
  ''$'\r\n' \
  ' example: '$'\n\r' \
  'Korvald /i/s or Korvald16 /i/s  Install driver without showing any information.'$'')

E2E_USAGE_CAPTION_ZH=帮助
E2E_USAGE_ZH=$(printf %s \
  '命令行参数: (不区分大小写)'$'\r\n' \
  ' /? 显示命令行帮助'$'\r\n' \
  ' /i 不显示界面直接安装'$'\r\n' \
  ' /r 不显示界面直接卸载'$'\r\n' \
  ' /s 安装不显示任何信息'$'\r\n' \
  ' /Dos 支持Dos调用. '$'\r\n' \
  ' /T0 不测试并口忙(默认值,可不加)'$'\r\n' \
  ' /T1 测试并口忙'$'\r\n' \
  ' /P0 支持并口锁和USB锁(默认值,可不加)'$'\r\n' \
  ' /P1 只支持并口锁'$'\r\n' \
  ' /P2 只支持USB锁'$'\r\n' \
  ' /N  如果已经安装，则不再重新安装'$'\r\n' \
  ' /D278 搜索时禁止使用278端口'$'\r\n' \
  ' /D378或/D3BC 同上,禁止使用指定端口.'$'\r\n' \
  ' 例: '$'\n\r' \
  'Korvald /i/s 或 Korvald16 /i/s '$'\n\r' \
  ' 安装过程中不显示任何信息。'$'')

# The host names the engine file by the Windows directory it derives from the system directory.
E2E_ENGINE_PATH='C:\windows\system32\InstDll.dll'
E2E_CREATE_DENIED_TEXT="Create '$E2E_ENGINE_PATH' error!:win error code:5"
