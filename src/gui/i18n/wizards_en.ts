<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>vc::gui::MediaFileFilters</name>
    <message>
        <source>Video Files</source>
        <translation>Video Files</translation>
    </message>
    <message>
        <source>Picture Files</source>
        <translation>Picture Files</translation>
    </message>
    <message>
        <source>Audio Files</source>
        <translation>Audio Files</translation>
    </message>
    <message>
        <source>All Files</source>
        <translation>All Files</translation>
    </message>
</context>
<context>
    <name>vc::gui::TConversionWizard</name>
    <message>
        <source>视频信息</source>
        <translation>Video Information</translation>
    </message>
    <message>
        <source>视频编码器</source>
        <translation>Video Encoder</translation>
    </message>
    <message>
        <source>帧率</source>
        <translation>Frame Rate</translation>
    </message>
    <message>
        <source>屏幕尺寸</source>
        <translation>Frame Size</translation>
    </message>
    <message>
        <source>视频码率(kbps)</source>
        <translation>Video Bitrate (kbps)</translation>
    </message>
    <message>
        <source>音频信息</source>
        <translation>Audio Information</translation>
    </message>
    <message>
        <source>音频编码器</source>
        <translation>Audio Encoder</translation>
    </message>
    <message>
        <source>声道</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>采样率</source>
        <translation>Sample Rate</translation>
    </message>
    <message>
        <source>音频码率(kbps)</source>
        <translation>Audio Bitrate (kbps)</translation>
    </message>
    <message>
        <source>返回(&amp;B)</source>
        <translation>&amp;Back</translation>
    </message>
    <message>
        <source>返回</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>滤镜设置</source>
        <translation>Filters</translation>
    </message>
    <message>
        <source>开始(&amp;S)</source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>开始(&amp;S) </source>
        <translation>&amp;Start</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>取消(&amp;C)</source>
        <translation>&amp;Cancel</translation>
    </message>
</context>
<context>
    <name>vc::gui::TDvdSourceTab</name>
    <message>
        <source>DVD</source>
        <translation>DVD</translation>
    </message>
    <message>
        <source>光驱:</source>
        <translation>Drive:</translation>
    </message>
    <message>
        <source>标题:</source>
        <translation>Title:</translation>
    </message>
    <message>
        <source>视角:</source>
        <translation>Angle:</translation>
    </message>
    <message>
        <source>开始节:</source>
        <translation>From chapter:</translation>
    </message>
    <message>
        <source>终了节:</source>
        <translation>To chapter:</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFilterPage</name>
    <message>
        <source>滤镜设置（LOGO水印文字水印字幕等）</source>
        <translation>Filters (logo, text, subtitles...)</translation>
    </message>
    <message>
        <source>滤镜设置（图片水印等..）</source>
        <translation>Filters (picture watermark...)</translation>
    </message>
    <message>
        <source>添加新滤镜</source>
        <translation>Add Filter</translation>
    </message>
    <message>
        <source>添加滤镜</source>
        <translation>Add Filter</translation>
    </message>
    <message>
        <source>新建滤镜</source>
        <translation>New filter</translation>
    </message>
    <message>
        <source>添加标准滤镜</source>
        <translation>Add Standard Filters</translation>
    </message>
    <message>
        <source>添加LOGO水印</source>
        <translation>Add Logo</translation>
    </message>
    <message>
        <source>添加文字水印</source>
        <translation>Add Text</translation>
    </message>
    <message>
        <source>添加字幕</source>
        <translation>Add Subtitles</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>修改滤镜</source>
        <translation>Edit filter</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>删除滤镜</source>
        <translation>Delete filter</translation>
    </message>
    <message>
        <source>滤镜预览</source>
        <translation>Filter preview</translation>
    </message>
    <message>
        <source>过滤器预览</source>
        <translation>Filter preview</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormEditProfile</name>
    <message>
        <source>输出配置高级设置</source>
        <translation>Advanced Profile Settings</translation>
    </message>
    <message>
        <source>添加音频输出</source>
        <translation>New Audio Profile</translation>
    </message>
    <message>
        <source>New Audio Profile</source>
        <translation>New Audio Profile</translation>
    </message>
    <message>
        <source>添加视频输出</source>
        <translation>New Video Profile</translation>
    </message>
    <message>
        <source>New Video Profile</source>
        <translation>New Video Profile</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Delete Profile</source>
        <translation>Delete Profile</translation>
    </message>
    <message>
        <source>保存退出</source>
        <translation>Save and Exit</translation>
    </message>
    <message>
        <source>Save and Exit</source>
        <translation>Save and Exit</translation>
    </message>
    <message>
        <source>Are you sure to delete the profile?</source>
        <translation>Are you sure to delete the profile?</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormLogoFilter</name>
    <message>
        <source>LOGO水印滤镜</source>
        <translation>Logo Filter</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>PNG files (*.png)</source>
        <translation>PNG files (*.png)</translation>
    </message>
    <message>
        <source>LOGO路径</source>
        <translation>Logo file</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormNewBatch</name>
    <message>
        <source>批量向导</source>
        <translation>Batch Wizard</translation>
    </message>
    <message>
        <source>请添加批量文件</source>
        <translation>Add the files to convert</translation>
    </message>
    <message>
        <source>文件列表</source>
        <translation>Files</translation>
    </message>
    <message>
        <source>添加(&amp;A)</source>
        <translation>&amp;Add...</translation>
    </message>
    <message>
        <source>移除(&amp;R)</source>
        <translation>&amp;Remove</translation>
    </message>
    <message>
        <source>输出配置:</source>
        <translation>Output profile:</translation>
    </message>
    <message>
        <source>输出分类:</source>
        <translation>Category:</translation>
    </message>
    <message>
        <source>保存路径:</source>
        <translation>Save to:</translation>
    </message>
    <message>
        <source>Select Video/Audio Files...</source>
        <translation>Select Video/Audio Files...</translation>
    </message>
    <message>
        <source>以下目标文件已经存在，是否替换？
%1</source>
        <translation>These files already exist. Replace them?
%1</translation>
    </message>
    <message>
        <source>重复添加</source>
        <translation>listed twice</translation>
    </message>
    <message>
        <source>与 %1 同名</source>
        <translation>same name as %1</translation>
    </message>
    <message>
        <source>正被任务 %1 使用</source>
        <translation>written by task %1</translation>
    </message>
    <message>
        <source>%1（%2）→ %3</source>
        <translation>%1 (%2) → %3</translation>
    </message>
    <message>
        <source>以下文件的目标文件名已被占用，是否改用编号的文件名？
%1</source>
        <translation>The output names of these files are taken. Write them to numbered names?
%1</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormNewConversion</name>
    <message>
        <source>新建转换</source>
        <translation>New Conversion</translation>
    </message>
    <message>
        <source>第一步：选择输入文件；第二步：选择输出配置；第三步：点击“开始”</source>
        <translation>Step 1: choose the input file; step 2: choose the output profile; step 3: press “Start”</translation>
    </message>
    <message>
        <source>Select Video/Audio File...</source>
        <translation>Select Video/Audio File...</translation>
    </message>
    <message>
        <source>输入文件:</source>
        <translation>Input file:</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>输出配置:</source>
        <translation>Output profile:</translation>
    </message>
    <message>
        <source>输出分类:</source>
        <translation>Category:</translation>
    </message>
    <message>
        <source>保存路径:</source>
        <translation>Save to:</translation>
    </message>
    <message>
        <source>目标文件已经存在，是否替换？
%1</source>
        <translation>The target file already exists. Replace it?
%1</translation>
    </message>
    <message>
        <source>视频预览</source>
        <translation>Video Preview</translation>
    </message>
    <message>
        <source>开始[0:0:0]</source>
        <translation>Start[0:0:0]</translation>
    </message>
    <message>
        <source>结尾[0:0:0]</source>
        <translation>End[0:0:0]</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormStdFilter</name>
    <message>
        <source>自定义标准滤镜</source>
        <translation>Standard Filters</translation>
    </message>
    <message>
        <source>Vertical Flip</source>
        <translation>Vertical Flip</translation>
    </message>
    <message>
        <source>Horizontal Flip</source>
        <translation>Horizontal Flip</translation>
    </message>
    <message>
        <source>Negate</source>
        <translation>Negate</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>Rotate</translation>
    </message>
    <message>
        <source>Degrees</source>
        <translation>Degrees</translation>
    </message>
    <message>
        <source>Draw Box</source>
        <translation>Draw Box</translation>
    </message>
    <message>
        <source>X</source>
        <translation>X</translation>
    </message>
    <message>
        <source>Y</source>
        <translation>Y</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>Width</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>Height</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>Color</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormSubtitleFilter</name>
    <message>
        <source>字幕</source>
        <translation>Subtitles</translation>
    </message>
    <message>
        <source>SSA Files(*.ssa)</source>
        <translation>SSA Files(*.ssa)</translation>
    </message>
    <message>
        <source>ASS Files(*.ass)</source>
        <translation>ASS Files(*.ass)</translation>
    </message>
    <message>
        <source>SRT Files(*.srt)</source>
        <translation>SRT Files(*.srt)</translation>
    </message>
    <message>
        <source>Other Subtitle Files(*.txt)</source>
        <translation>Other Subtitle Files(*.txt)</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File</translation>
    </message>
    <message>
        <source>字体</source>
        <translation>Font</translation>
    </message>
    <message>
        <source>字体颜色</source>
        <translation>Font color</translation>
    </message>
    <message>
        <source>编码</source>
        <translation>Character set</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFormTextFilter</name>
    <message>
        <source>文本水印</source>
        <translation>Text Watermark</translation>
    </message>
    <message>
        <source>文本</source>
        <translation>Text</translation>
    </message>
    <message>
        <source>Font File(*.ttf)</source>
        <translation>Font File(*.ttf)</translation>
    </message>
    <message>
        <source>字体文件</source>
        <translation>Font file</translation>
    </message>
    <message>
        <source>字体颜色</source>
        <translation>Font color</translation>
    </message>
    <message>
        <source>X,Y</source>
        <translation>X, Y</translation>
    </message>
    <message>
        <source>字体大小</source>
        <translation>Font size</translation>
    </message>
    <message>
        <source>添加</source>
        <translation>Add</translation>
    </message>
    <message>
        <source>放弃</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFramePreview</name>
    <message>
        <source>Time Settings</source>
        <translation>Time Settings</translation>
    </message>
    <message>
        <source>Set Start</source>
        <translation>Set Start</translation>
    </message>
    <message>
        <source>Set End</source>
        <translation>Set End</translation>
    </message>
    <message>
        <source>can not open the file %1!</source>
        <translation>can not open the file %1!</translation>
    </message>
    <message>
        <source>进度: %1 影片长度: %2</source>
        <translation>Position: %1 Length: %2</translation>
    </message>
    <message>
        <source>Start[%1]</source>
        <translation>Start[%1]</translation>
    </message>
    <message>
        <source>End[%1]</source>
        <translation>End[%1]</translation>
    </message>
    <message>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <source>Play</source>
        <translation>Play</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFrameProfile</name>
    <message>
        <source>格式描述</source>
        <translation>Description</translation>
    </message>
    <message>
        <source>文件格式</source>
        <translation>File format</translation>
    </message>
    <message>
        <source>格式后缀</source>
        <translation>Extension</translation>
    </message>
    <message>
        <source>音频设置</source>
        <translation>Audio</translation>
    </message>
    <message>
        <source>采样率</source>
        <translation>Sample Rate</translation>
    </message>
    <message>
        <source>音频编码器</source>
        <translation>Audio Encoder</translation>
    </message>
    <message>
        <source>声道</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>音频码率(kbps)</source>
        <translation>Audio Bitrate (kbps)</translation>
    </message>
    <message>
        <source>视频设置</source>
        <translation>Video</translation>
    </message>
    <message>
        <source>屏幕尺寸</source>
        <translation>Frame Size</translation>
    </message>
    <message>
        <source>视频编码器</source>
        <translation>Video Encoder</translation>
    </message>
    <message>
        <source>帧率</source>
        <translation>Frame Rate</translation>
    </message>
    <message>
        <source>视频码率(kbps)</source>
        <translation>Video Bitrate (kbps)</translation>
    </message>
</context>
<context>
    <name>vc::gui::TFrameVideoInfo</name>
    <message>
        <source>Video Information</source>
        <translation>Video Information</translation>
    </message>
    <message>
        <source>Video Encoder</source>
        <translation>Video Encoder</translation>
    </message>
    <message>
        <source>Frame Rate</source>
        <translation>Frame Rate</translation>
    </message>
    <message>
        <source>Frame Size</source>
        <translation>Frame Size</translation>
    </message>
    <message>
        <source>Bitrate(kbps)</source>
        <translation>Bitrate(kbps)</translation>
    </message>
    <message>
        <source>Audio Information</source>
        <translation>Audio Information</translation>
    </message>
    <message>
        <source>Audio Encoder</source>
        <translation>Audio Encoder</translation>
    </message>
    <message>
        <source>Channels</source>
        <translation>Channels</translation>
    </message>
    <message>
        <source>Sample Rate</source>
        <translation>Sample Rate</translation>
    </message>
</context>
<context>
    <name>vc::gui::TProfileChooser</name>
    <message>
        <source>编辑</source>
        <translation>Edit</translation>
    </message>
    <message>
        <source>输出配置高级设置</source>
        <translation>Advanced Profile Settings</translation>
    </message>
</context>
</TS>
