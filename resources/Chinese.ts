<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>CutJob</name>
    <message>
        <source>No Cutting Paths!</source>
        <translation>没有切割路径!</translation>
    </message>
    <message>
        <source>The scratch file %1 could not be removed, so a new export could not be told from the last one. Nothing was cut or saved.</source>
        <translation>无法删除临时文件%1,新的导出无法与上一次的区分。未切割也未保存任何内容。</translation>
    </message>
    <message>
        <source>The scratch file %1 could not be used: %2. Nothing was cut or saved.</source>
        <translation>无法使用临时文件%1:%2。未切割也未保存任何内容。</translation>
    </message>
    <message>
        <source>The host did not write its export to %1. Nothing was cut or saved.</source>
        <translation>宿主程序未将导出写入%1。未切割也未保存任何内容。</translation>
    </message>
    <message>
        <source>The host's export in %1 was cut short: it ends in the middle of a command. Nothing was cut or saved.</source>
        <translation>%1中的导出不完整:它在一条命令中间结束。未切割也未保存任何内容。</translation>
    </message>
</context>
<context>
    <name>PluginMW</name>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Create Registration Marks</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;生成定位标记</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Create Layer Only</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;仅创建图层</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Create Boundary</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;创建边界</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Create Contour</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;创建轮廓</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Adjust Printable Layer Only</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;仅调整可打印图层</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Adjust Printable</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;调整可打印图层</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Adjust &amp; Save PDF</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;调整并保存PDF</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Directly Cut</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;直接切割</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;By Path &amp; Marks</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;直接输出</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Blank Paper</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;空白切割</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Save File</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;保存文件</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Show QR Code Controller</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;显示二维码控制器</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;About Vemo</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;关于 Vemo</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Spread Settings</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;展开设置</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Retract Settings</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;收起设置</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Minimize</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;最小化</translation>
    </message>
    <message>
        <source>&lt;font size=4&gt;&lt;font color=blue&gt;Exit</source>
        <translation>&lt;font size=4&gt;&lt;font color=blue&gt;退出</translation>
    </message>
    <message>
        <source>Language:</source>
        <translation>语言:</translation>
    </message>
    <message>
        <source>Top Reserved:</source>
        <translation>上边距:</translation>
    </message>
    <message>
        <source>Left Reserved:</source>
        <translation>左边距:</translation>
    </message>
    <message>
        <source>Right Reserved:</source>
        <translation>右边距:</translation>
    </message>
    <message>
        <source>Bottom Reserved:</source>
        <translation>下边距:</translation>
    </message>
    <message>
        <source>Regist Marks By Figure</source>
        <translation>按图形生成标记</translation>
    </message>
    <message>
        <source>Use Crease Layer</source>
        <translation>使用压痕图层</translation>
    </message>
    <message>
        <source>Mark Width:</source>
        <translation>标记宽度:</translation>
    </message>
    <message>
        <source>Mark Height:</source>
        <translation>标记高度:</translation>
    </message>
    <message>
        <source>Mark Weight:</source>
        <translation>标记线宽:</translation>
    </message>
    <message>
        <source>Mark Diameter:</source>
        <translation>标记直径:</translation>
    </message>
    <message>
        <source>Mark Color:</source>
        <translation>标记颜色:</translation>
    </message>
    <message>
        <source>Segement:</source>
        <translation>分段:</translation>
    </message>
    <message>
        <source>By Pieces</source>
        <translation>按段数</translation>
    </message>
    <message>
        <source>By Length</source>
        <translation>按长度</translation>
    </message>
    <message>
        <source>Pieces for:</source>
        <translation>每段长:</translation>
    </message>
    <message>
        <source>Use QR Code:</source>
        <translation>使用二维码:</translation>
    </message>
    <message>
        <source>InkJet Printer</source>
        <translation>喷墨打印机优化</translation>
    </message>
    <message>
        <source>Begin:</source>
        <translation>起始:</translation>
    </message>
    <message>
        <source>Size:</source>
        <translation>尺寸:</translation>
    </message>
    <message>
        <source>Dashed Line Args:</source>
        <translation>虚线参数:</translation>
    </message>
    <message>
        <source>CorelDraw Version:</source>
        <translation>CorelDraw 版本:</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Close will stop all job sending, Confirm or Not?</source>
        <translation>关闭将停止所有发送任务,是否确认?</translation>
    </message>
    <message>
        <source>Please Confirm CorelDraw Installations and Choose Correct CorelDraw Version...</source>
        <translation>请检查CorelDraw安装并确认版本选择正确...</translation>
    </message>
    <message>
        <source>SavePDF</source>
        <translation>保存为PDF</translation>
    </message>
    <message>
        <source>SavePlt</source>
        <translation>保存为PLT</translation>
    </message>
    <message>
        <source>The QR serial number has reached %1 and cannot count further.</source>
        <translation>二维码序号已达到%1,无法继续递增。</translation>
    </message>
    <message>
        <source>The QR job name &quot;%1&quot; cannot be used as a file name.</source>
        <translation>二维码任务名&quot;%1&quot;不能用作文件名。</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>无法将设置保存到%1:%2。</translation>
    </message>
    <message>
        <source>Could not save the QR serial number to %1: %2.</source>
        <translation>无法将二维码序号保存到%1:%2。</translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>无法写入%1:%2。</translation>
    </message>
    <message>
        <source>The language cannot be switched: the program %1, which starts this one again, is missing.</source>
        <translation>无法切换语言:缺少重新启动本程序的%1。</translation>
    </message>
    <message>
        <source>The settings file %1 does not read back whole: %2. The settings that could be read are used.</source>
        <translation>设置文件%1无法完整读回:%2。已使用能读出的设置。</translation>
    </message>
    <message>
        <source>The settings file %1 could not be read: %2. The form's own settings are used.</source>
        <translation>无法读取设置文件%1:%2。已使用界面的初始设置。</translation>
    </message>
    <message>
        <source>It was set aside as %1, and a new one is written in its place.</source>
        <translation>原文件已另存为%1,并在原处写入新文件。</translation>
    </message>
    <message>
        <source>It was set aside as %1; a new one could not be written: %2.</source>
        <translation>原文件已另存为%1,但无法写入新文件:%2。</translation>
    </message>
    <message>
        <source>It could not be set aside: %1.</source>
        <translation>无法将其另存:%1。</translation>
    </message>
    <message>
        <source>The settings file %1 holds no number for %2; those settings keep the form's own values.</source>
        <translation>设置文件%1中的%2不是数字;这些设置保留界面的初始值。</translation>
    </message>
</context>
<context>
    <name>QRCodeMW</name>
    <message>
        <source>&lt;font color=blue&gt;All Done!</source>
        <translation>&lt;font color=blue&gt;全部完成!</translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;Curr File:</source>
        <translation>&lt;font color=blue&gt;当前文件:</translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;Feeding...</source>
        <translation>&lt;font color=blue&gt;进纸...</translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;File Height: </source>
        <translation>&lt;font color=blue&gt;文件高度: </translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;File Width: </source>
        <translation>&lt;font color=blue&gt;文件宽度: </translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;Move to QR Code and Mark...</source>
        <translation>&lt;font color=blue&gt;移动至第一标记点及二维码处...</translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;Scan QR Code...</source>
        <translation>&lt;font color=blue&gt;扫描二维码...</translation>
    </message>
    <message>
        <source>&lt;font color=blue&gt;Size is Acquired, Press Start.</source>
        <translation>&lt;font color=blue&gt;尺寸已获取,请点击开始.</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;Connect Error!!!</source>
        <translation>&lt;font color=red&gt;连接错误!!!</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;File Not Exist!</source>
        <translation>&lt;font color=red&gt;文件不存在!</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;No Paper!</source>
        <translation>&lt;font color=red&gt;缺纸!</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;Scan QR Code Failed!</source>
        <translation>&lt;font color=red&gt;扫描二维码失败!</translation>
    </message>
    <message>
        <source>Auto-Cam-Offset</source>
        <translation>自动校准</translation>
    </message>
    <message>
        <source>Auto-Next:</source>
        <translation>连续发送:</translation>
    </message>
    <message>
        <source>Auto-Offset</source>
        <translation>自动校准</translation>
    </message>
    <message>
        <source>Auto-Offset Completed!</source>
        <translation>自动校准完成!</translation>
    </message>
    <message>
        <source>Changed File</source>
        <translation>更改文件</translation>
    </message>
    <message>
        <source>Device:</source>
        <translation>设备:</translation>
    </message>
    <message>
        <source>Height: 0</source>
        <translation>高度: 0</translation>
    </message>
    <message>
        <source>LED Intensity:</source>
        <translation>LED 强度:</translation>
    </message>
    <message>
        <source>Open QR Folder.</source>
        <translation>打开二维码文件目录.</translation>
    </message>
    <message>
        <source>Please Put Blank Paper and Press OK to Start</source>
        <translation>请放入空白纸张并按OK键开始</translation>
    </message>
    <message>
        <source>Please Select A File to Get the Size</source>
        <translation>请选择一个文件以获取尺寸</translation>
    </message>
    <message>
        <source>QR Code Controller</source>
        <translation>二维码控制器</translation>
    </message>
    <message>
        <source>Select File</source>
        <translation>选择文件</translation>
    </message>
    <message>
        <source>Select a file.</source>
        <translation>选择一个文件.</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>开始</translation>
    </message>
    <message>
        <source>Start Auto-Adjust</source>
        <translation>开始自动调节</translation>
    </message>
    <message>
        <source>State:</source>
        <translation>状态:</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Width: 0</source>
        <translation>宽度: 0</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;No Reply From The Cutter!</source>
        <translation>&lt;font color=red&gt;切割机无应答!</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;The Cutter Did Not Take The Data!</source>
        <translation>&lt;font color=red&gt;切割机未接收数据!</translation>
    </message>
    <message>
        <source>&lt;font color=red&gt;The File Holds No Job Size!</source>
        <translation>&lt;font color=red&gt;文件中没有作业尺寸!</translation>
    </message>
    <message>
        <source>Auto-Offset Failed!
Step: %1
Cause: %2</source>
        <translation>自动校准失败!
步骤: %1
原因: %2</translation>
    </message>
    <message>
        <source>Connecting to the cutter</source>
        <translation>连接切割机</translation>
    </message>
    <message>
        <source>Drawing the circle</source>
        <translation>绘制校准圆</translation>
    </message>
    <message>
        <source>First mark reading</source>
        <translation>第一次识别标记</translation>
    </message>
    <message>
        <source>Moving to the mark</source>
        <translation>移动至标记</translation>
    </message>
    <message>
        <source>Second mark reading</source>
        <translation>第二次识别标记</translation>
    </message>
    <message>
        <source>Storing the final correction</source>
        <translation>存储最终校正</translation>
    </message>
    <message>
        <source>Storing the first correction</source>
        <translation>存储第一次校正</translation>
    </message>
    <message>
        <source>The Calibration File CIR.plt Is Missing Or Unreadable!</source>
        <translation>校准文件 CIR.plt 缺失或无法读取!</translation>
    </message>
    <message>
        <source>The Cutter Is Busy With A Job From The Other Window!</source>
        <translation>切割机正忙于另一窗口的任务!</translation>
    </message>
    <message>
        <source>The QR job folder could not be opened. Please open it yourself:
%1</source>
        <translation>无法打开二维码文件目录,请手动打开:
%1</translation>
    </message>
    <message>
        <source>The first correction is already stored in the cutter.</source>
        <translation>第一次校正已存入切割机.</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>no reply from the cutter</source>
        <translation>切割机无应答</translation>
    </message>
    <message>
        <source>no valid mark was found</source>
        <translation>未找到有效标记</translation>
    </message>
    <message>
        <source>the cutter did not take the data</source>
        <translation>切割机未接收数据</translation>
    </message>
    <message>
        <source>the cutter is busy with a job from the other window</source>
        <translation>切割机正忙于另一窗口的任务</translation>
    </message>
    <message>
        <source>the cutter is not connected</source>
        <translation>切割机未连接</translation>
    </message>
</context>
<context>
    <name>SendMW</name>
    <message>
        <source>Connect Error!!!</source>
        <translation>连接错误!!!</translation>
    </message>
    <message>
        <source>The Cutter Did Not Take The Data!</source>
        <translation>切割机未接收数据!</translation>
    </message>
    <message>
        <source>No Reply From The Cutter!</source>
        <translation>切割机无应答!</translation>
    </message>
    <message>
        <source>The Cutter Is Busy With A Job From The Other Window!</source>
        <translation>切割机正忙于另一窗口的任务!</translation>
    </message>
    <message>
        <source>Auto-Next:</source>
        <translation>连续发送:</translation>
    </message>
    <message>
        <source>Auto-Sort</source>
        <translation>自动排序</translation>
    </message>
    <message>
        <source>Backlash:</source>
        <translation>齿隙补偿:</translation>
    </message>
    <message>
        <source>Blank Rev X:</source>
        <translation>空白偏移X:</translation>
    </message>
    <message>
        <source>Blank Rev Y:</source>
        <translation>空白偏移Y:</translation>
    </message>
    <message>
        <source>Close Offset:</source>
        <translation>闭合补偿</translation>
    </message>
    <message>
        <source>Device:</source>
        <translation>设备:</translation>
    </message>
    <message>
        <source>Get Cam Offset Failed!</source>
        <translation>获取相机偏移量失败!</translation>
    </message>
    <message>
        <source>Knife Offset:</source>
        <translation>尖角补偿:</translation>
    </message>
    <message>
        <source>No Paper!</source>
        <translation>缺纸!</translation>
    </message>
    <message>
        <source>Please Confirm CorelDraw Installations and Choose Correct CorelDraw Version...</source>
        <translation>请检查CorelDraw安装并确认版本选择正确...</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>SavePlt</source>
        <translation>保存为PLT</translation>
    </message>
    <message>
        <source>Send</source>
        <translation>发送</translation>
    </message>
    <message>
        <source>Send To Device</source>
        <translation>发送至设备</translation>
    </message>
    <message>
        <source>Send to device</source>
        <translation>发送至设备</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>停止</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The settings could not be saved to %1: %2.</source>
        <translation>无法将设置保存到%1:%2。</translation>
    </message>
    <message>
        <source>Could not write %1: %2.</source>
        <translation>无法写入%1:%2。</translation>
    </message>
</context>
<context>
    <name>Marks</name>
    <message>
        <source>The marks were drawn without the QR label: the number %1 could not be encoded.</source>
        <translation>已绘制定位标记,但没有二维码标签:无法编码编号%1。</translation>
    </message>
    <message>
        <source>The marks were drawn without the QR label: its picture %1 could not be written: %2.</source>
        <translation>已绘制定位标记,但没有二维码标签:无法写入标签图片%1:%2。</translation>
    </message>
</context>
<context>
    <name>SaveFile</name>
    <message>
        <source>the file is locked by another program</source>
        <translation>文件被其他程序锁定</translation>
    </message>
    <message>
        <source>a folder has its name</source>
        <translation>存在同名文件夹</translation>
    </message>
    <message>
        <source>the file or its folder is read-only</source>
        <translation>文件或其所在文件夹为只读</translation>
    </message>
    <message>
        <source>the disk is full</source>
        <translation>磁盘已满</translation>
    </message>
    <message>
        <source>the path is too long</source>
        <translation>路径过长</translation>
    </message>
    <message>
        <source>unknown error</source>
        <translation>未知错误</translation>
    </message>
    <message>
        <source>what was written did not read back whole</source>
        <translation>写入的内容未能完整读回</translation>
    </message>
    <message>
        <source>it holds bytes that no settings file holds</source>
        <translation>其中含有设置文件不会有的字节</translation>
    </message>
    <message>
        <source>line %1, &quot;%2&quot;</source>
        <translation>第%1行“%2”</translation>
    </message>
    <message>
        <source>%1 is not a lock file: remove it to go on</source>
        <translation>%1不是锁文件:请将其删除后继续</translation>
    </message>
    <message>
        <source>%1 is not a folder of this program: remove it to go on</source>
        <translation>%1不是本程序的文件夹:请将其删除后继续</translation>
    </message>
</context>
</TS>
