<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>vc::gui::GuiMessageSink</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>Warning</translation>
    </message>
    <message>
        <source>Information</source>
        <translation>Information</translation>
    </message>
</context>
<context>
    <name>vc::gui::TDesktopNotifier</name>
    <message>
        <source>打开文件夹</source>
        <translation>Open folder</translation>
    </message>
    <message>
        <source>视频转换器</source>
        <translation>Video Converter</translation>
    </message>
    <message>
        <source>任务完成</source>
        <translation>Task Completed</translation>
    </message>
    <message>
        <source>%1 does not exists.</source>
        <translation>%1 does not exist.</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormMain</name>
    <message>
        <source>视频转换器</source>
        <translation>Video Converter</translation>
    </message>
    <message>
        <source>添加单一任务</source>
        <translation>New Conversion</translation>
    </message>
    <message>
        <source>添加批量任务</source>
        <translation>New Batch Conversion</translation>
    </message>
    <message>
        <source>开始</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>暂停</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>退出</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>完成后关机</source>
        <translation>Shut Down When Done</translation>
    </message>
    <message>
        <source>详细设置</source>
        <translation>Options</translation>
    </message>
    <message>
        <source>关于</source>
        <translation>About</translation>
    </message>
    <message>
        <source>删除(&amp;R)</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>打开原始文件</source>
        <translation>Open Source File</translation>
    </message>
    <message>
        <source>打开已经转换完的文件</source>
        <translation>Open Converted File</translation>
    </message>
    <message>
        <source>打开文件目录</source>
        <translation>Show in Folder</translation>
    </message>
    <message>
        <source>打开文件夹</source>
        <translation>Open Folder</translation>
    </message>
    <message>
        <source>新建分类</source>
        <translation>New Category</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>属性</source>
        <translation>Properties</translation>
    </message>
    <message>
        <source>Clear Log</source>
        <translation>Clear Log</translation>
    </message>
    <message>
        <source>文件(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>设置(&amp;O)</source>
        <translation>&amp;Settings</translation>
    </message>
    <message>
        <source>帮助(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>工具栏</source>
        <translation>Tool Bar</translation>
    </message>
    <message>
        <source>Do you want to delete the selected category?</source>
        <translation>Do you want to delete the selected category?</translation>
    </message>
    <message>
        <source>文件夹 %1 无法创建。</source>
        <translation>The folder %1 cannot be created.</translation>
    </message>
    <message>
        <source>%1 个转换尚未完成。停止它们并退出吗？</source>
        <translation>%1 conversions are unfinished. Stop them and quit?</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFrameInfo</name>
    <message>
        <source>Task Info</source>
        <translation>Task Info</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Logs</translation>
    </message>
</context>
<context>
    <name>vc::TaskTexts</name>
    <message>
        <source>任务列表</source>
        <translation>Task List</translation>
    </message>
    <message>
        <source>默认分类</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>大小</source>
        <translation>Size</translation>
    </message>
    <message>
        <source>目标</source>
        <translation>Target</translation>
    </message>
    <message>
        <source>目标大小</source>
        <translation>Target Size</translation>
    </message>
    <message>
        <source>目标输出配置</source>
        <translation>Output Profile</translation>
    </message>
    <message>
        <source>时长</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>进度</source>
        <translation>Progress</translation>
    </message>
    <message>
        <source>比特率(kbs)</source>
        <translation>Bit rate (kb/s)</translation>
    </message>
    <message>
        <source>剩余时间</source>
        <translation>Time Left</translation>
    </message>
    <message>
        <source>已用时间</source>
        <translation>Elapsed</translation>
    </message>
    <message>
        <source>日期</source>
        <translation>Date</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>Category</translation>
    </message>
    <message>
        <source>Property</source>
        <translation>Property</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>Value</translation>
    </message>
</context>
</TS>
