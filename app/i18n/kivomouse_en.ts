<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>ColorPicker</name>
    <message>
        <source>亮度</source>
        <translation>Bri.</translation>
    </message>
</context>
<context>
    <name>Confirm_Dialog</name>
    <message>
        <source>恢复出厂设置</source>
        <translation>Restore factory settings</translation>
    </message>
    <message>
        <source>鼠标将恢复出厂设置</source>
        <translation>The mouse will be reset to its factory settings</translation>
    </message>
    <message>
        <source>此操作不可逆转，是否进行操作</source>
        <translation>This cannot be undone. Do you want to continue?</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>Mainpage</name>
    <message>
        <source>可编程按键</source>
        <translation>Custom keys</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标的 6 个按键均可通过软件进行按键自定义设置</source>
        <translation>All 6 buttons of the Kivo Gaming Mouse can be reassigned in this software,</translation>
    </message>
    <message>
        <source>并且可以对按键设置组合键、多键宏来让鼠标变的更加得心应手。</source>
        <translation>to key combinations and multi-key macros that make the mouse work the way you do.</translation>
    </message>
    <message>
        <source>微动设计</source>
        <translation>Micro switches</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标搭载能够点击数千万次的按键微动，能有效减少按压</source>
        <translation>The Kivo Gaming Mouse has switches rated for tens of millions of clicks, which reduce the wear</translation>
    </message>
    <message>
        <source>带来的硬件损耗，大幅提高鼠标使用寿命。</source>
        <translation>of every press and greatly extend the life of the mouse.</translation>
    </message>
    <message>
        <source>双模切换</source>
        <translation>Dual mode</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标具有有线／2.4G 无线两种模式。</source>
        <translation>The Kivo Gaming Mouse works both wired and over 2.4 GHz wireless.</translation>
    </message>
    <message>
        <source>娱乐时选择有线连接方式，更具稳定性，传输速度超快，是玩家手中的游戏利器。</source>
        <translation>For gaming, the wired connection is more stable and very fast: a real weapon in a player&apos;s hand.</translation>
    </message>
    <message>
        <source>切换到无线模式时，Kivo游戏鼠标也可以成为你娱乐、办公的得力助手。</source>
        <translation>Switched to wireless, the Kivo Gaming Mouse is just as good a companion for play and for work.</translation>
    </message>
    <message>
        <source>人体工学设计</source>
        <translation>Ergonomics</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标采用了人体工程学设计，使鼠标能更好得贴合手掌弧度，让玩家能有更好得使用体验。</source>
        <translation>The ergonomic shape of the Kivo Gaming Mouse follows the curve of your palm for a more comfortable grip.</translation>
    </message>
    <message>
        <source>再搭配两个橡胶侧裙，能帮助玩家收获更好的游戏体验。</source>
        <translation>Two rubber side grips make for an even better gaming experience.</translation>
    </message>
    <message>
        <source>光学传感器</source>
        <translation>Optical sensor</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标配备了 5 挡可调的 7200dpi 游戏光学引擎，</source>
        <translation>The Kivo Gaming Mouse has a 7200 dpi optical gaming sensor with 5 adjustable levels</translation>
    </message>
    <message>
        <source>可以确保数据无差别追踪，让使用时的准确度、追踪速度和操作一致性都更为出色。</source>
        <translation>that tracks every movement with outstanding accuracy, speed and consistency.</translation>
    </message>
    <message>
        <source>令玩家的每一次操作都精准的转化为游戏内动作，不会错过任何关键攻击。</source>
        <translation>Each of your moves becomes the exact move in the game, so you never miss a decisive attack.</translation>
    </message>
    <message>
        <source>瞄准键</source>
        <translation>Sniper button</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标特别设计了快速瞄准键，当玩家在游戏中按住瞄准按键时，</source>
        <translation>The Kivo Gaming Mouse has a dedicated sniper button: while you hold it down in a game,</translation>
    </message>
    <message>
        <source>DPI 会被调整到预先设置好的低数值上，可以帮助玩家进行更为精确得瞄准射击。</source>
        <translation>the DPI drops to a preset low value, so you can aim and shoot more precisely.</translation>
    </message>
    <message>
        <source>炫彩灯光</source>
        <translation>RGB lighting</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标加入了炫丽的灯光设计。独特的灯光设置，</source>
        <translation>The Kivo Gaming Mouse comes with brilliant lighting. Its lighting settings</translation>
    </message>
    <message>
        <source>允许用户在滚轮灯区与尾灯灯区分别呈现多色彩 RGB 自定义灯光，及多种灯光效果。</source>
        <translation>give the wheel zone and the rear zone their own RGB colors and a choice of effects.</translation>
    </message>
    <message>
        <source>高报告速率</source>
        <translation>Fast polling</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标配备了 32 位 ARM 处理器，使设备响应更为迅速，让你的操纵随心所欲。</source>
        <translation>The Kivo Gaming Mouse has a 32-bit ARM processor for faster response and full control.</translation>
    </message>
    <message>
        <source>同时可通过软件进行 125、250、500、1000 四个挡位报告率的设定，能充分适应不同玩家的个性化需求。</source>
        <translation>Its polling rate can be set to 125, 250, 500 or 1000 Hz in this software to suit every player.</translation>
    </message>
    <message>
        <source>欢迎使用Kivo游戏鼠标!</source>
        <translation>Welcome to the Kivo Gaming Mouse!</translation>
    </message>
</context>
<context>
    <name>SystemTray</name>
    <message>
        <source>Kivo游戏鼠标</source>
        <translation>Kivo Gaming Mouse</translation>
    </message>
    <message>
        <source>鼠标电量低：%1%，请及时充电</source>
        <translation>Battery low: %1%. Please charge the mouse.</translation>
    </message>
    <message>
        <source>显示</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>开机自启动</source>
        <translation>Start at login</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Quit</translation>
    </message>
</context>
<context>
    <name>Update_Dialog</name>
    <message>
        <source>&lt;p style=&quot;margin:4px&quot;&gt;升级过程中，请勿开关鼠标或断开USB数据线的连接。中断升级可能会导致鼠标无法&lt;/p&gt;&lt;p style=&quot;margin:4px&quot;&gt;使用。固件升级约需要1分钟，在此期间，鼠标将无法使用。&lt;/p&gt;</source>
        <translation>&lt;p style=&quot;margin:4px&quot;&gt;Do not switch the mouse off or unplug its USB cable during the update: an interrupted update&lt;/p&gt;&lt;p style=&quot;margin:4px&quot;&gt;can leave the mouse unusable. The update takes about a minute; until then the mouse cannot be used.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>固件更新</source>
        <translation>Firmware update</translation>
    </message>
    <message>
        <source>开始更新</source>
        <translation>Start update</translation>
    </message>
    <message>
        <source>正在升级固件...0%</source>
        <translation>Updating firmware... 0%</translation>
    </message>
</context>
<context>
    <name>button_Widget</name>
    <message>
        <source>正</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>侧</source>
        <translation>Side</translation>
    </message>
    <message>
        <source>功能键</source>
        <translation>Functions</translation>
    </message>
    <message>
        <source>组合键</source>
        <translation>Shortcuts</translation>
    </message>
    <message>
        <source>按键宏</source>
        <translation>Macros</translation>
    </message>
</context>
<context>
    <name>combo_Widget</name>
    <message>
        <source>关闭窗口(ALT+F4)</source>
        <translation>Close window (Alt+F4)</translation>
    </message>
    <message>
        <source>显示桌面(WIN+D)</source>
        <translation>Show desktop (Win+D)</translation>
    </message>
    <message>
        <source>撤销(Ctrl+Z)</source>
        <translation>Undo (Ctrl+Z)</translation>
    </message>
    <message>
        <source>浏览器中的上一个标签(Ctrl+Shift+Tab)</source>
        <translation>Previous tab (Ctrl+Shift+Tab)</translation>
    </message>
    <message>
        <source>浏览器中的下一个标签(Ctrl+Tab)</source>
        <translation>Next tab (Ctrl+Tab)</translation>
    </message>
    <message>
        <source>重做(Ctrl+Y)</source>
        <translation>Redo (Ctrl+Y)</translation>
    </message>
    <message>
        <source>剪切(Ctrl+X)</source>
        <translation>Cut (Ctrl+X)</translation>
    </message>
    <message>
        <source>复制(Ctrl+C)</source>
        <translation>Copy (Ctrl+C)</translation>
    </message>
    <message>
        <source>粘贴(Ctrl+V)</source>
        <translation>Paste (Ctrl+V)</translation>
    </message>
    <message>
        <source>自定义组合键</source>
        <translation>Custom shortcut</translation>
    </message>
</context>
<context>
    <name>config_Widget</name>
    <message>
        <source>固件版本号</source>
        <translation>Firmware</translation>
    </message>
    <message>
        <source>软件版本号</source>
        <translation>Software</translation>
    </message>
</context>
<context>
    <name>disconnect_Widget</name>
    <message>
        <source>未检测到设备</source>
        <translation>No device detected</translation>
    </message>
    <message>
        <source>请检查Kivo鼠标是否插入</source>
        <translation>Please check that the Kivo mouse is plugged in</translation>
    </message>
    <message>
        <source>已检测到Kivo鼠标，但当前用户无权访问：缺少udev规则 %1
安装规则后重新插入鼠标：
sudo cp %2 /etc/udev/rules.d/
sudo udevadm control --reload &amp;&amp; sudo udevadm trigger</source>
        <translation>A Kivo mouse is plugged in, but this user may not use it: the udev rule %1 is missing
Install the rule, then plug the mouse in again:
sudo cp %2 /etc/udev/rules.d/
sudo udevadm control --reload &amp;&amp; sudo udevadm trigger</translation>
    </message>
</context>
<context>
    <name>dpi_Widget</name>
    <message>
        <source>级别I</source>
        <translation>Lv. I</translation>
    </message>
    <message>
        <source>级别II</source>
        <translation>Lv. II</translation>
    </message>
    <message>
        <source>级别III</source>
        <translation>Lv. III</translation>
    </message>
    <message>
        <source>级别IV</source>
        <translation>Lv. IV</translation>
    </message>
    <message>
        <source>级别V</source>
        <translation>Lv. V</translation>
    </message>
    <message>
        <source>级别数量%1</source>
        <translation>%1 levels</translation>
    </message>
    <message>
        <source>DPI灵敏度级别</source>
        <translation>DPI levels</translation>
    </message>
</context>
<context>
    <name>func_Widget</name>
    <message>
        <source>单击左键</source>
        <translation>Left click</translation>
    </message>
    <message>
        <source>单击右键</source>
        <translation>Right click</translation>
    </message>
    <message>
        <source>单击中键</source>
        <translation>Middle click</translation>
    </message>
    <message>
        <source>鼠标后退</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>鼠标前进</source>
        <translation>Forward</translation>
    </message>
    <message>
        <source>提高DPI</source>
        <translation>DPI up</translation>
    </message>
    <message>
        <source>降低DPI</source>
        <translation>DPI down</translation>
    </message>
    <message>
        <source>切换DPI</source>
        <translation>DPI cycle</translation>
    </message>
    <message>
        <source>音量增大</source>
        <translation>Vol. up</translation>
    </message>
    <message>
        <source>音量减小</source>
        <translation>Vol. down</translation>
    </message>
    <message>
        <source>静音切换</source>
        <translation>Mute</translation>
    </message>
</context>
<context>
    <name>led_Widget</name>
    <message>
        <source>管理颜色</source>
        <translation>Edit colors</translation>
    </message>
    <message>
        <source>完成</source>
        <translation>Done</translation>
    </message>
    <message>
        <source>灯光效果</source>
        <translation>Effect</translation>
    </message>
    <message>
        <source>颜色预设</source>
        <translation>Colors</translation>
    </message>
    <message>
        <source>灯光速度</source>
        <translation>Speed</translation>
    </message>
    <message>
        <source>前灯设置</source>
        <translation>Front light</translation>
    </message>
    <message>
        <source>尾灯设置</source>
        <translation>Rear light</translation>
    </message>
    <message>
        <source> 常亮</source>
        <translation>Static</translation>
    </message>
    <message>
        <source> 呼吸</source>
        <translation>Breathing</translation>
    </message>
    <message>
        <source> 跑马</source>
        <translation>Marquee</translation>
    </message>
    <message>
        <source> 炫彩</source>
        <translation>Rainbow</translation>
    </message>
    <message>
        <source> 关闭</source>
        <translation>Off</translation>
    </message>
</context>
<context>
    <name>micro_Widget</name>
    <message>
        <source>开始录制</source>
        <translation>Start recording</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>记录事件之间延迟</source>
        <translation>Record delays</translation>
    </message>
    <message>
        <source>停止录制</source>
        <translation>Stop recording</translation>
    </message>
    <message>
        <source> 毫秒延迟</source>
        <translation> ms delay</translation>
    </message>
</context>
<context>
    <name>mkey_Edit</name>
    <message>
        <source>清除</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>pointer_Widget</name>
    <message>
        <source>基本设置</source>
        <translation>Basic settings</translation>
    </message>
    <message>
        <source>DPI设置</source>
        <translation>DPI settings</translation>
    </message>
</context>
<context>
    <name>report_Widget</name>
    <message>
        <source>选择鼠标报告速率（每秒报告数量）</source>
        <translation>Polling rate (reports per second)</translation>
    </message>
</context>
<context>
    <name>startup</name>
    <message>
        <source>WARNING</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标客户端已运行!</source>
        <translation>Kivo Gaming Mouse is already running!</translation>
    </message>
    <message>
        <source>Load VELQA.dll fail!</source>
        <translation>Could not load the device library (velqa)!</translation>
    </message>
</context>
<context>
    <name>z9ktool</name>
    <message>
        <source>Kivo游戏鼠标</source>
        <translation>Kivo Gaming Mouse</translation>
    </message>
    <message>
        <source>Kivo游戏鼠标</source>
        <comment>logo caption</comment>
        <translation>Kivo Mouse</translation>
    </message>
    <message>
        <source>主页</source>
        <translation>Home</translation>
    </message>
    <message>
        <source>鼠标键设置</source>
        <translation>Buttons</translation>
    </message>
    <message>
        <source>灯光设置</source>
        <translation>Lighting</translation>
    </message>
    <message>
        <source>指针速度</source>
        <translation>Pointer</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Settings</translation>
    </message>
    <message>
        <source>鼠标电量 %1%</source>
        <translation>Battery %1%</translation>
    </message>
    <message>
        <source>恢复出厂设置</source>
        <translation>Factory reset</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimize</translation>
    </message>
    <message>
        <source>关闭</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>正在升级固件...0%</source>
        <translation>Updating firmware... 0%</translation>
    </message>
    <message>
        <source>正在升级固件...%1%</source>
        <translation>Updating firmware... %1%</translation>
    </message>
    <message>
        <source>正在升级固件...100%</source>
        <translation>Updating firmware... 100%</translation>
    </message>
    <message>
        <source>固件升级已完成</source>
        <translation>Firmware update complete</translation>
    </message>
    <message>
        <source>当前版本V</source>
        <translation>Current version V</translation>
    </message>
    <message>
        <source>发现新版本  </source>
        <translation>New version available  </translation>
    </message>
    <message>
        <source>固件文件不存在</source>
        <translation>Firmware file not found</translation>
    </message>
    <message>
        <source>无法读取固件文件</source>
        <translation>Cannot read the firmware file</translation>
    </message>
    <message>
        <source>固件文件已损坏</source>
        <translation>The firmware file is damaged</translation>
    </message>
    <message>
        <source>固件升级失败，请重新更新</source>
        <translation>Firmware update failed, please try again</translation>
    </message>
</context>
</TS>
