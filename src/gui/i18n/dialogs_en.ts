<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>vc::gui::TAVDesktopAlert</name>
    <message>
        <source>任务完成</source>
        <translation>Task Completed</translation>
    </message>
    <message>
        <source>%1 点我打开目录.</source>
        <translation>%1 Click here to open its folder.</translation>
    </message>
    <message>
        <source>Folder</source>
        <translation>Folder</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
    <message>
        <source>%1 does not exists.</source>
        <translation>%1 does not exist.</translation>
    </message>
</context>
<context>
    <name>vc::gui::TDvdCombo</name>
    <message>
        <source>choose a disc folder or ISO image…</source>
        <translation>choose a disc folder or ISO image…</translation>
    </message>
    <message>
        <source>DVD (*.iso *.ISO VIDEO_TS.IFO video_ts.ifo);;All Files(*.*)</source>
        <translation>DVD (*.iso *.ISO VIDEO_TS.IFO video_ts.ifo);;All Files(*.*)</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormAbout</name>
    <message>
        <source>Qt %1（编译时为 %2）</source>
        <translation>Qt %1 (built with %2)</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>视频转换器</source>
        <translation>Video Converter</translation>
    </message>
    <message>
        <source>版本 %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <source>未知</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>使用的库:</source>
        <translation>Libraries:</translation>
    </message>
    <message>
        <source>本程序是自由软件：您可以按照 GNU 通用公共许可证第 2 版或（由您选择的）任何更新版本的条款重新发布和修改它。发布本程序是希望它有用，但不提供任何担保。</source>
        <translation>This program is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 2 or (at your option) any later version. It is distributed in the hope that it will be useful, but WITHOUT ANY WARRANTY.</translation>
    </message>
    <message>
        <source>FFmpeg 库的许可证: %1</source>
        <translation>Licence of the FFmpeg libraries: %1</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormCategory</name>
    <message>
        <source>New Category</source>
        <translation>New Category</translation>
    </message>
    <message>
        <source>Category Properties</source>
        <translation>Category Properties</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>名称:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>路径:</source>
        <translation>Folder:</translation>
    </message>
    <message>
        <source>无法创建文件夹 %1</source>
        <translation>Can not create folder %1</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormDelete</name>
    <message>
        <source>是否删除？</source>
        <translation>Delete?</translation>
    </message>
    <message>
        <source>删除所选？</source>
        <translation>Delete the selected tasks?</translation>
    </message>
    <message>
        <source>删除原始文件</source>
        <translation>Delete the source files</translation>
    </message>
    <message>
        <source>删除已经转换的文件</source>
        <translation>Delete the converted files</translation>
    </message>
    <message>
        <source>是</source>
        <translation>Yes</translation>
    </message>
    <message>
        <source>否</source>
        <translation>No</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormOptions</name>
    <message>
        <source>设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>常规</source>
        <translation>General</translation>
    </message>
    <message>
        <source>性能</source>
        <translation>Performance</translation>
    </message>
    <message>
        <source>选择文件夹</source>
        <translation>Choose Folder</translation>
    </message>
    <message>
        <source>转换完弹出提醒框</source>
        <translation>Show an alert when a conversion is done</translation>
    </message>
    <message>
        <source>输出路径</source>
        <translation>Output folder</translation>
    </message>
    <message>
        <source>Thread Priority</source>
        <translation>Thread Priority</translation>
    </message>
    <message>
        <source>Low</source>
        <translation>Low</translation>
    </message>
    <message>
        <source>High</source>
        <translation>High</translation>
    </message>
    <message>
        <source>Automatic(use all CPU(s))</source>
        <translation>Automatic (use all CPUs)</translation>
    </message>
    <message>
        <source>Thread Count</source>
        <translation>Thread Count</translation>
    </message>
    <message>
        <source>设置向导...</source>
        <translation>Setup Wizard...</translation>
    </message>
    <message>
        <source>再次运行首次启动时的设置向导</source>
        <translation>Run the setup wizard of the first start again</translation>
    </message>
    <message>
        <source>Ok</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>空闲</source>
        <translation>Idle</translation>
    </message>
    <message>
        <source>低于标准</source>
        <translation>Below normal</translation>
    </message>
    <message>
        <source>标准</source>
        <translation>Normal</translation>
    </message>
    <message>
        <source>高于标准</source>
        <translation>Above normal</translation>
    </message>
    <message>
        <source>高</source>
        <translation>High</translation>
    </message>
    <message>
        <source>实时</source>
        <translation>Realtime</translation>
    </message>
    <message>
        <source>（默认就好不建议更改）</source>
        <translation> (the defaults are best)</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormSetupWizard</name>
    <message>
        <source>设置向导</source>
        <translation>Setup Wizard</translation>
    </message>
    <message>
        <source>&lt;h3&gt;欢迎使用%1&lt;/h3&gt;&lt;p&gt;只需几步设置，即可开始转换您的视频和音频文件。这些设置以后可以在“详细设置”中更改。&lt;/p&gt;</source>
        <translation>&lt;h3&gt;Welcome to %1&lt;/h3&gt;&lt;p&gt;A few choices and you are ready to convert your video and audio files. You can change them later under “Options”.&lt;/p&gt;</translation>
    </message>
    <message>
        <source>视频转换器</source>
        <translation>Video Converter</translation>
    </message>
    <message>
        <source>在转换完成后弹出提醒框。</source>
        <translation>Show an alert when a conversion is done.</translation>
    </message>
    <message>
        <source>使用多核CPU加速。</source>
        <translation>Use every CPU core to convert faster.</translation>
    </message>
    <message>
        <source>好的，确定</source>
        <translation>OK, done</translation>
    </message>
</context>
</TS>
