<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en">
<context>
    <name>CBalimorApp</name>
    <message>
        <source>peak fitting workbench</source>
        <translation>peak fitting workbench</translation>
    </message>
    <message>
        <source>No translation of the captions was found (balimor_%1.qm)</source>
        <translation>No translation of the captions was found (balimor_%1.qm)</translation>
    </message>
</context>
<context>
    <name>CBalimorEditView</name>
    <message>
        <source>Select Editor Font</source>
        <translation>Select Editor Font</translation>
    </message>
</context>
<context>
    <name>CFitSeriesDialog</name>
    <message>
        <source>Fit Series</source>
        <translation>Fit Series</translation>
    </message>
    <message>
        <source>&amp;Files...</source>
        <translation>&amp;Files...</translation>
    </message>
    <message>
        <source>Scans:</source>
        <translation>Scans:</translation>
    </message>
    <message>
        <source>&amp;Chain: each scan from the last converged fit</source>
        <translation>&amp;Chain: each scan from the last converged fit</translation>
    </message>
    <message>
        <source>&amp;Every scan from the current job</source>
        <translation>&amp;Every scan from the current job</translation>
    </message>
    <message>
        <source>Start:</source>
        <translation>Start:</translation>
    </message>
    <message>
        <source>&amp;Path</source>
        <translation>&amp;Path</translation>
    </message>
    <message>
        <source>Summary (CSV):</source>
        <translation>Summary (CSV):</translation>
    </message>
    <message>
        <source>F&amp;it</source>
        <translation>F&amp;it</translation>
    </message>
    <message>
        <source>Scans of the series</source>
        <translation>Scans of the series</translation>
    </message>
    <message>
        <source>Summary of the series</source>
        <translation>Summary of the series</translation>
    </message>
    <message>
        <source>CSV Files (*.csv);;All Files (*)</source>
        <translation>CSV Files (*.csv);;All Files (*)</translation>
    </message>
    <message>
        <source>Choose the scans and the summary file.</source>
        <translation>Choose the scans and the summary file.</translation>
    </message>
    <message>
        <source>The current job could not be written.</source>
        <translation>The current job could not be written.</translation>
    </message>
    <message>
        <source>Fitting the series...</source>
        <translation>Fitting the series...</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Scan %1 of %2, %3 not converged</source>
        <translation>Scan %1 of %2, %3 not converged</translation>
    </message>
</context>
<context>
    <name>CGraphView</name>
    <message>
        <source>PNG Image (*.png)</source>
        <translation>PNG Image (*.png)</translation>
    </message>
    <message>
        <source>SVG Drawing (*.svg)</source>
        <translation>SVG Drawing (*.svg)</translation>
    </message>
    <message>
        <source>PDF Document (*.pdf)</source>
        <translation>PDF Document (*.pdf)</translation>
    </message>
    <message>
        <source>Select Graph Font</source>
        <translation>Select Graph Font</translation>
    </message>
    <message>
        <source>Export Graph</source>
        <translation>Export Graph</translation>
    </message>
</context>
<context>
    <name>CImportColumnsDialog</name>
    <message>
        <source>%1 (&quot;%2&quot;)</source>
        <translation>%1 (&quot;%2&quot;)</translation>
    </message>
    <message>
        <source>Reads %1 points: X from column %2, Y from column %3; skips %4 rows without numbers in them.</source>
        <translation>Reads %1 points: X from column %2, Y from column %3; skips %4 rows without numbers in them.</translation>
    </message>
    <message>
        <source>These columns hold no numbers: nothing to read.</source>
        <translation>These columns hold no numbers: nothing to read.</translation>
    </message>
</context>
<context>
    <name>CMainFrame</name>
    <message>
        <source>新規作成(&amp;N)</source>
        <translation>&amp;New</translation>
    </message>
    <message>
        <source>開く(&amp;O)...</source>
        <translation>&amp;Open...</translation>
    </message>
    <message>
        <source>Save Data As...</source>
        <translation>Save Data As...</translation>
    </message>
    <message>
        <source>Read Text Files...</source>
        <translation>Read Text Files...</translation>
    </message>
    <message>
        <source>Read Rietan Files...</source>
        <translation>Read Rietan Files...</translation>
    </message>
    <message>
        <source>&amp;Update Current File</source>
        <translation>&amp;Update Current File</translation>
    </message>
    <message>
        <source>Update Current File </source>
        <translation>Update Current File </translation>
    </message>
    <message>
        <source>Save As Rietan...</source>
        <translation>Save As Rietan...</translation>
    </message>
    <message>
        <source>印刷(&amp;P)...</source>
        <translation>&amp;Print...</translation>
    </message>
    <message>
        <source>印刷ﾌﾟﾚﾋﾞｭｰ(&amp;V)</source>
        <translation>Print Pre&amp;view</translation>
    </message>
    <message>
        <source>ﾌﾟﾘﾝﾀの設定(&amp;R)...</source>
        <translation>P&amp;rint Setup...</translation>
    </message>
    <message>
        <source>Export Graph...</source>
        <translation>Export Graph...</translation>
    </message>
    <message>
        <source>ｱﾌﾟﾘｹｰｼｮﾝの終了(&amp;X)</source>
        <translation>E&amp;xit</translation>
    </message>
    <message>
        <source>元に戻す(&amp;U)</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>切り取り(&amp;T)</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>ｺﾋﾟｰ(&amp;C)</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>貼り付け(&amp;P)</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>形式を選択して貼り付け(&amp;S)...</source>
        <translation>Paste &amp;Special...</translation>
    </message>
    <message>
        <source>すべて選択(&amp;L)</source>
        <translation>Select A&amp;ll</translation>
    </message>
    <message>
        <source>検索(&amp;F)...</source>
        <translation>&amp;Find...</translation>
    </message>
    <message>
        <source>次を検索(&amp;I)</source>
        <translation>Find &amp;Next</translation>
    </message>
    <message>
        <source>置換(&amp;E)</source>
        <translation>R&amp;eplace...</translation>
    </message>
    <message>
        <source>ﾂｰﾙ ﾊﾞｰ(&amp;T)</source>
        <translation>&amp;Toolbar</translation>
    </message>
    <message>
        <source>ｽﾃｰﾀｽ ﾊﾞｰ(&amp;S)</source>
        <translation>&amp;Status Bar</translation>
    </message>
    <message>
        <source>&amp;Redraw</source>
        <translation>&amp;Redraw</translation>
    </message>
    <message>
        <source>&amp;Change View Scale</source>
        <translation>&amp;Change View Scale</translation>
    </message>
    <message>
        <source>Re&amp;store View Scale</source>
        <translation>Re&amp;store View Scale</translation>
    </message>
    <message>
        <source>View Background</source>
        <translation>View Background</translation>
    </message>
    <message>
        <source>View Calc</source>
        <translation>View Calc</translation>
    </message>
    <message>
        <source>View Curves</source>
        <translation>View Curves</translation>
    </message>
    <message>
        <source>View Current Curve</source>
        <translation>View Current Curve</translation>
    </message>
    <message>
        <source>Process XRD data</source>
        <translation>Process XRD Data</translation>
    </message>
    <message>
        <source>Process Raman/IR Data</source>
        <translation>Process Raman/IR Data</translation>
    </message>
    <message>
        <source>Setup Graph&amp;Frame</source>
        <translation>Setup Graph &amp;Frame</translation>
    </message>
    <message>
        <source>Select Graph &amp;Font</source>
        <translation>Select Graph &amp;Font</translation>
    </message>
    <message>
        <source>Select &amp;Editor Font</source>
        <translation>Select &amp;Editor Font</translation>
    </message>
    <message>
        <source>Edit &amp;IniFile</source>
        <translation>Edit &amp;INI File</translation>
    </message>
    <message>
        <source>Fit Frame to Window</source>
        <translation>Fit Frame to Window</translation>
    </message>
    <message>
        <source>Size the graph frame to the pane; print and export keep Setup GraphFrame&apos;s size</source>
        <translation>Size the graph frame to the pane; printing and export keep the size set in Setup Graph Frame</translation>
    </message>
    <message>
        <source>Setup &amp;Option</source>
        <translation>Setup &amp;Option</translation>
    </message>
    <message>
        <source>Launch &amp;Editor</source>
        <translation>Launch &amp;Editor</translation>
    </message>
    <message>
        <source>Peak Search...</source>
        <translation>Peak Search...</translation>
    </message>
    <message>
        <source>Search the data for peaks and add them to the peak table</source>
        <translation>Search the data for peaks and add them to the peak table</translation>
    </message>
    <message>
        <source>Curve Fit</source>
        <translation>Curve Fit</translation>
    </message>
    <message>
        <source>Write the fit job, run the fitter of the data kind and draw the result</source>
        <translation>Write the fit job, run the fitter of the data kind and draw the result</translation>
    </message>
    <message>
        <source>ﾄﾋﾟｯｸの検索(&amp;H)</source>
        <translation>&amp;Help Topics</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Balimor) (&amp;A)...</source>
        <translation>&amp;About Balimor...</translation>
    </message>
    <message>
        <source>&amp;Japanese</source>
        <translation>&amp;Japanese</translation>
    </message>
    <message>
        <source>Show the captions as they are written, from the next start</source>
        <translation>Show the captions as they are written, from the next start</translation>
    </message>
    <message>
        <source>&amp;English</source>
        <translation>&amp;English</translation>
    </message>
    <message>
        <source>Show the captions in English, from the next start</source>
        <translation>Show the captions in English, from the next start</translation>
    </message>
    <message>
        <source>ﾌｧｲﾙ(&amp;F)</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>編集(&amp;E)</source>
        <translation>&amp;Edit</translation>
    </message>
    <message>
        <source>表示(&amp;V)</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Option</source>
        <translation>&amp;Option</translation>
    </message>
    <message>
        <source>ﾍﾙﾌﾟ(&amp;H)</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>&amp;Language</translation>
    </message>
    <message>
        <source>ToolBar</source>
        <translation>Toolbar</translation>
    </message>
    <message>
        <source>XRD</source>
        <translation>XRD</translation>
    </message>
    <message>
        <source>Raman/IR</source>
        <translation>Raman/IR</translation>
    </message>
    <message>
        <source>無題</source>
        <translation>Untitled</translation>
    </message>
    <message>
        <source>The data kind: View &gt; Process XRD data, Process Raman/IR Data</source>
        <translation>The data kind: View &gt; Process XRD Data, Process Raman/IR Data</translation>
    </message>
    <message>
        <source>ｶﾅ</source>
        <translation>KANA</translation>
    </message>
    <message>
        <source>CAP</source>
        <translation>CAP</translation>
    </message>
    <message>
        <source>NUM</source>
        <translation>NUM</translation>
    </message>
    <message>
        <source>SCRL</source>
        <translation>SCRL</translation>
    </message>
    <message>
        <source>Ready</source>
        <translation>Ready</translation>
    </message>
    <message>
        <source>最新のﾌｧｲﾙ</source>
        <translation>Recent File</translation>
    </message>
    <message>
        <source>検索</source>
        <translation>Find</translation>
    </message>
    <message>
        <source>検索する文字列:</source>
        <translation>Find what:</translation>
    </message>
    <message>
        <source>Not found: %1</source>
        <translation>Not found: %1</translation>
    </message>
    <message>
        <source>置換</source>
        <translation>Replace</translation>
    </message>
    <message>
        <source>置換後の文字列:</source>
        <translation>Replace with:</translation>
    </message>
    <message>
        <source>%1 replaced</source>
        <translation>%1 replaced</translation>
    </message>
    <message>
        <source>ﾊﾞｰｼﾞｮﾝ情報(Balimor)</source>
        <translation>About Balimor</translation>
    </message>
    <message>
        <source>Balimor Version %1</source>
        <translation>Balimor Version %1</translation>
    </message>
    <message>
        <source>Peak fitting workbench for one-dimensional spectra.</source>
        <translation>Peak fitting workbench for one-dimensional spectra.</translation>
    </message>
    <message>
        <source>No help topics are installed: the README of the suite is neither in
%1
nor beside the program.</source>
        <translation>No help topics are installed: the README of the suite is neither in
%1
nor beside the program.</translation>
    </message>
    <message>
        <source>The desktop has no viewer for the help topics; they are in
%1</source>
        <translation>The desktop has no viewer for the help topics; they are in
%1</translation>
    </message>
    <message>
        <source>Balimor shows its captions in English from its next start.</source>
        <translation>Balimor shows its captions in English from its next start.</translation>
    </message>
    <message>
        <source>Balimor shows its captions as they are written from its next start.</source>
        <translation>Balimor shows its captions as they are written from its next start.</translation>
    </message>
    <message>
        <source>While BALIMOR_LANG=%1 is set, it chooses the language.</source>
        <translation>While BALIMOR_LANG=%1 is set, it chooses the language.</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>Import Columns...</source>
        <translation>Import Columns...</translation>
    </message>
    <message>
        <source>Read every row of a file of columns, its delimiter and X and Y columns chosen</source>
        <translation>Read every row of a file of columns, its delimiter and X and Y columns chosen</translation>
    </message>
    <message>
        <source>Fit Series...</source>
        <translation>Fit Series...</translation>
    </message>
    <message>
        <source>Fit many scans from the current job and write a summary of every peak</source>
        <translation>Fit many scans from the current job and write a summary of every peak</translation>
    </message>
</context>
<context>
    <name>CPeakSearchDialogView</name>
    <message>
        <source>the data&apos;s Y unit</source>
        <translation>the data&apos;s Y unit</translation>
    </message>
    <message>
        <source>least prominence: height above the higher of the two lowest points beside the peak (%1), and above k times the noise</source>
        <translation>least prominence: height above the higher of the two lowest points beside the peak (%1), and above k times the noise</translation>
    </message>
    <message>
        <source>height above the lowest point in the range (%1)</source>
        <translation>height above the lowest point in the range (%1)</translation>
    </message>
    <message>
        <source>No peak found: lower the threshold or widen the output range.</source>
        <translation>No peak found: lower the threshold or widen the output range.</translation>
    </message>
</context>
<context>
    <name>CRunDialog</name>
    <message>
        <source>Cancelling...</source>
        <translation>Cancelling...</translation>
    </message>
</context>
<context>
    <name>CSeriesTrendDialog</name>
    <message>
        <source>Series Trend</source>
        <translation>Series Trend</translation>
    </message>
    <message>
        <source>Summary: %1</source>
        <translation>Summary: %1</translation>
    </message>
    <message>
        <source>&amp;Open</source>
        <translation>&amp;Open</translation>
    </message>
    <message>
        <source>Open the summary with the desktop&apos;s program for CSV files</source>
        <translation>Open the summary with the desktop&apos;s program for CSV files</translation>
    </message>
</context>
<context>
    <name>Core</name>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Read Error</source>
        <translation>Read Error</translation>
    </message>
    <message>
        <source>Calculation error</source>
        <translation>Calculation error</translation>
    </message>
    <message>
        <source>Confirm</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>Very Large MaxIter</source>
        <translation>Very Large Max Iteration</translation>
    </message>
    <message>
        <source>Very Small MaxIter</source>
        <translation>Very Small Max Iteration</translation>
    </message>
    <message>
        <source>Error in %1</source>
        <translation>Error in %1</translation>
    </message>
    <message>
        <source>Can&apos;t Get FrameArray</source>
        <translation>Can&apos;t Get FrameArray</translation>
    </message>
    <message>
        <source>Can&apos;t Get Original Data</source>
        <translation>Can&apos;t Get Original Data</translation>
    </message>
    <message>
        <source>Can&apos;t Create GraphFrame</source>
        <translation>Can&apos;t Create GraphFrame</translation>
    </message>
    <message>
        <source>Can&apos;t Get GraphFrameArray</source>
        <translation>Can&apos;t Get GraphFrameArray</translation>
    </message>
    <message>
        <source>Can&apos;t Get GraphFrame</source>
        <translation>Can&apos;t Get GraphFrame</translation>
    </message>
    <message>
        <source>Can&apos;t get GraphFrame(0)</source>
        <translation>Can&apos;t get GraphFrame(0)</translation>
    </message>
    <message>
        <source>Can&apos;t get pFrame</source>
        <translation>Can&apos;t get pFrame</translation>
    </message>
    <message>
        <source>Can&apos;t get pData</source>
        <translation>Can&apos;t get pData</translation>
    </message>
    <message>
        <source>Can&apos;t write [%1]</source>
        <translation>Can&apos;t write [%1]</translation>
    </message>
    <message>
        <source>Can&apos;t read [%1]</source>
        <translation>Can&apos;t read [%1]</translation>
    </message>
    <message>
        <source>Can&apos;t open [%1]</source>
        <translation>Can&apos;t open [%1]</translation>
    </message>
    <message>
        <source>Can&apos;t open %1</source>
        <translation>Can&apos;t open %1</translation>
    </message>
    <message>
        <source>Can&apos;t execute [%1]</source>
        <translation>Can&apos;t execute [%1]</translation>
    </message>
    <message>
        <source>Can&apos;t exec [%1]</source>
        <translation>Can&apos;t execute [%1]</translation>
    </message>
    <message>
        <source>Can&apos;t create curve #%1 with datan=%2</source>
        <translation>Can&apos;t create curve #%1 with datan=%2</translation>
    </message>
    <message>
        <source>File [%1] exists</source>
        <translation>File [%1] exists</translation>
    </message>
    <message>
        <source>Overwrite it?</source>
        <translation>Overwrite it?</translation>
    </message>
    <message>
        <source>MaxIter [%1] is larger than %2</source>
        <translation>Max Iteration [%1] is larger than %2</translation>
    </message>
    <message>
        <source>MaxIter [%1] is smaller than %2</source>
        <translation>Max Iteration [%1] is smaller than %2</translation>
    </message>
    <message>
        <source>Continue?</source>
        <translation>Continue?</translation>
    </message>
    <message>
        <source>Can&apos;t copy [%1] to [%2]</source>
        <translation>Can&apos;t copy [%1] to [%2]</translation>
    </message>
    <message>
        <source>Some error must occur in file system</source>
        <translation>Something must have gone wrong in the file system</translation>
    </message>
    <message>
        <source>File [%1] doesn&apos;t exist</source>
        <translation>File [%1] doesn&apos;t exist</translation>
    </message>
    <message>
        <source>File [%1] is incomplete or damaged</source>
        <translation>File [%1] is incomplete or damaged</translation>
    </message>
    <message>
        <source>Some error must occur in the calculation</source>
        <translation>Something must have gone wrong in the calculation</translation>
    </message>
    <message>
        <source>Retrieve previous file</source>
        <translation>The previous file is restored</translation>
    </message>
    <message>
        <source>Datum in Frame</source>
        <translation>Datum in Frame</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Lin</source>
        <translation>Lin</translation>
    </message>
    <message>
        <source>Spectrum Files</source>
        <translation>Spectrum Files</translation>
    </message>
    <message>
        <source>All Files (*.*)</source>
        <translation>All Files (*.*)</translation>
    </message>
    <message>
        <source>Text File (*.txt)</source>
        <translation>Text File (*.txt)</translation>
    </message>
    <message>
        <source>Text Data File (*.txt;*.asc)</source>
        <translation>Text Data File (*.txt;*.asc)</translation>
    </message>
    <message>
        <source>Rietan int File (*.int)</source>
        <translation>Rietan INT File (*.int)</translation>
    </message>
    <message>
        <source>Rietan Data File (*.int;*.pat)</source>
        <translation>Rietan Data File (*.int;*.pat)</translation>
    </message>
    <message>
        <source>Executable Files (*.exe)</source>
        <translation>Executable Files (*.exe)</translation>
    </message>
    <message>
        <source>Balimor Files (*.pfc)</source>
        <translation>Balimor Files (*.pfc)</translation>
    </message>
    <message>
        <source>PFC Files (*.pfc)</source>
        <translation>PFC Files (*.pfc)</translation>
    </message>
    <message>
        <source>Output Files (*.out)</source>
        <translation>Output Files (*.out)</translation>
    </message>
</context>
<context>
    <name>ImportColumnsDialog</name>
    <message>
        <source>Import Columns</source>
        <translation>Import Columns</translation>
    </message>
    <message>
        <source>First lines of the file:</source>
        <translation>First lines of the file:</translation>
    </message>
    <message>
        <source>&amp;Delimiter:</source>
        <translation>&amp;Delimiter:</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Comma</source>
        <translation>Comma</translation>
    </message>
    <message>
        <source>Semicolon</source>
        <translation>Semicolon</translation>
    </message>
    <message>
        <source>Blanks</source>
        <translation>Blanks</translation>
    </message>
    <message>
        <source>Decimal &amp;comma</source>
        <translation>Decimal &amp;comma</translation>
    </message>
    <message>
        <source>&amp;X column:</source>
        <translation>&amp;X column:</translation>
    </message>
    <message>
        <source>&amp;Y column:</source>
        <translation>&amp;Y column:</translation>
    </message>
    <message>
        <source>Data &amp;kind:</source>
        <translation>Data &amp;kind:</translation>
    </message>
    <message>
        <source>From the data</source>
        <translation>From the data</translation>
    </message>
    <message>
        <source>XRD</source>
        <translation>XRD</translation>
    </message>
    <message>
        <source>Raman/IR</source>
        <translation>Raman/IR</translation>
    </message>
</context>
<context>
    <name>PeakSearchDialog</name>
    <message>
        <source>Peak Search</source>
        <translation>Peak Search</translation>
    </message>
    <message>
        <source># of Smooth:</source>
        <translation># of Smooth:</translation>
    </message>
    <message>
        <source>Peak &amp;Search</source>
        <translation>Peak &amp;Search</translation>
    </message>
    <message>
        <source>Threshold:</source>
        <translation>Threshold:</translation>
    </message>
    <message>
        <source>&amp;Method:</source>
        <translation>&amp;Method:</translation>
    </message>
    <message>
        <source>Slope</source>
        <translation>Slope</translation>
    </message>
    <message>
        <source>Prominence</source>
        <translation>Prominence</translation>
    </message>
    <message>
        <source>&amp;Noise factor:</source>
        <translation>&amp;Noise factor:</translation>
    </message>
    <message>
        <source>&amp;Replace current peaks</source>
        <translation>&amp;Replace current peaks</translation>
    </message>
</context>
<context>
    <name>QtPlatform</name>
    <message>
        <source>Select Data</source>
        <translation>Select Data</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>Open</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>Save As</translation>
    </message>
</context>
<context>
    <name>RunDialog</name>
    <message>
        <source>Curve Fit</source>
        <translation>Curve Fit</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
</context>
<context>
    <name>SetupBalimorView</name>
    <message>
        <source>Input:</source>
        <translation>Input:</translation>
    </message>
    <message>
        <source>Path</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>Ed</source>
        <translation>Ed</translation>
    </message>
    <message>
        <source>PFC:</source>
        <translation>PFC:</translation>
    </message>
    <message>
        <source>Output:</source>
        <translation>Output:</translation>
    </message>
    <message>
        <source>Optimize Region:</source>
        <translation>Optimize Region:</translation>
    </message>
    <message>
        <source>ViewRng</source>
        <translation>ViewRng</translation>
    </message>
    <message>
        <source>v</source>
        <translation>v</translation>
    </message>
    <message>
        <source>Output Region:</source>
        <translation>Output Region:</translation>
    </message>
    <message>
        <source>&amp;Add Peak</source>
        <translation>&amp;Add Peak</translation>
    </message>
    <message>
        <source>&amp;Delete Peak</source>
        <translation>&amp;Delete Peak</translation>
    </message>
    <message>
        <source>C&amp;lear Peaks</source>
        <translation>C&amp;lear Peaks</translation>
    </message>
    <message>
        <source>Peak &amp;Search</source>
        <translation>Peak &amp;Search</translation>
    </message>
    <message>
        <source>Position</source>
        <translation>Position</translation>
    </message>
    <message>
        <source>OPT</source>
        <translation>OPT</translation>
    </message>
    <message>
        <source>C(Total)</source>
        <translation>C(Total)</translation>
    </message>
    <message>
        <source>Gauss Fraction</source>
        <translation>Gauss Fraction</translation>
    </message>
    <message>
        <source>FWHM Ratio</source>
        <translation>FWHM Ratio</translation>
    </message>
    <message>
        <source>C(Gauss)</source>
        <translation>C(Gauss)</translation>
    </message>
    <message>
        <source>FWHM(Gauss)</source>
        <translation>FWHM(Gauss)</translation>
    </message>
    <message>
        <source>C(Lorentz)</source>
        <translation>C(Lorentz)</translation>
    </message>
    <message>
        <source>FWHM(Lorentz)</source>
        <translation>FWHM(Lorentz)</translation>
    </message>
    <message>
        <source>Asymmetric</source>
        <translation>Asymmetric</translation>
    </message>
    <message>
        <source>Background</source>
        <translation>Background</translation>
    </message>
    <message>
        <source>b0</source>
        <translation>b0</translation>
    </message>
    <message>
        <source>b1</source>
        <translation>b1</translation>
    </message>
    <message>
        <source>b2</source>
        <translation>b2</translation>
    </message>
    <message>
        <source>b3</source>
        <translation>b3</translation>
    </message>
    <message>
        <source>b4</source>
        <translation>b4</translation>
    </message>
    <message>
        <source>Cal</source>
        <translation>Cal</translation>
    </message>
    <message>
        <source>Others</source>
        <translation>Others</translation>
    </message>
    <message>
        <source>L(Ka1):</source>
        <translation>λ(Kα1):</translation>
    </message>
    <message>
        <source>A</source>
        <translation>Å</translation>
    </message>
    <message>
        <source>L(Ka2):</source>
        <translation>λ(Kα2):</translation>
    </message>
    <message>
        <source>I(Ka2)/I(Ka1)</source>
        <translation>I(Kα2)/I(Kα1)</translation>
    </message>
    <message>
        <source>Qrange</source>
        <translation>Q range</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>Default</translation>
    </message>
    <message>
        <source>Delta Mag.</source>
        <translation>Delta Mag.</translation>
    </message>
    <message>
        <source>Auto redraw</source>
        <translation>Auto redraw</translation>
    </message>
    <message>
        <source>Curve Fit(&amp;X)</source>
        <translation>Curve Fit(&amp;X)</translation>
    </message>
    <message>
        <source>Save &amp;PFC</source>
        <translation>Save &amp;PFC</translation>
    </message>
    <message>
        <source>Setup LS&amp;Q</source>
        <translation>Setup LS&amp;Q</translation>
    </message>
    <message>
        <source>&amp;Redraw</source>
        <translation>&amp;Redraw</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Log</translation>
    </message>
</context>
<context>
    <name>SetupGraphFrameDialog</name>
    <message>
        <source>Setup GraphFrame</source>
        <translation>Setup Graph Frame</translation>
    </message>
    <message>
        <source>Position:</source>
        <translation>Position:</translation>
    </message>
    <message>
        <source>X0</source>
        <translation>X0</translation>
    </message>
    <message>
        <source>X1</source>
        <translation>X1</translation>
    </message>
    <message>
        <source>Y0</source>
        <translation>Y0</translation>
    </message>
    <message>
        <source>Y1</source>
        <translation>Y1</translation>
    </message>
    <message>
        <source>&amp;Clip Gaph Frame</source>
        <translation>&amp;Clip Graph Frame</translation>
    </message>
</context>
<context>
    <name>SetupLsqDialog</name>
    <message>
        <source>Setup LSQ</source>
        <translation>Setup LSQ</translation>
    </message>
    <message>
        <source>LSQ Program:</source>
        <translation>LSQ Program:</translation>
    </message>
    <message>
        <source>XRD:</source>
        <translation>XRD:</translation>
    </message>
    <message>
        <source>&amp;Path</source>
        <translation>&amp;Path</translation>
    </message>
    <message>
        <source>Raman/IR:</source>
        <translation>Raman/IR:</translation>
    </message>
    <message>
        <source>Max Iteration:</source>
        <translation>Max Iteration:</translation>
    </message>
    <message>
        <source>Convergence Critera:</source>
        <translation>Convergence Criterion:</translation>
    </message>
    <message>
        <source>Marquard(XRD)</source>
        <translation>Marquardt (XRD)</translation>
    </message>
    <message>
        <source>&amp;Dumping Factor:</source>
        <translation>&amp;Damping Factor:</translation>
    </message>
    <message>
        <source>Method:</source>
        <translation>Method:</translation>
    </message>
    <message>
        <source>Simplex(Raman/IR)</source>
        <translation>Simplex (Raman/IR)</translation>
    </message>
    <message>
        <source>iPrt</source>
        <translation>iPrt</translation>
    </message>
    <message>
        <source>iPrtInterval</source>
        <translation>iPrtInterval</translation>
    </message>
</context>
<context>
    <name>SetupOptionDialog</name>
    <message>
        <source>Setup Option</source>
        <translation>Setup Option</translation>
    </message>
    <message>
        <source>&amp;Editor:</source>
        <translation>&amp;Editor:</translation>
    </message>
    <message>
        <source>&amp;Path</source>
        <translation>&amp;Path</translation>
    </message>
</context>
<context>
    <name>SetupScaleDialog</name>
    <message>
        <source>Setup Scale</source>
        <translation>Setup Scale</translation>
    </message>
    <message>
        <source>X:</source>
        <translation>X:</translation>
    </message>
    <message>
        <source>Reverse</source>
        <translation>Reverse</translation>
    </message>
    <message>
        <source>Y:</source>
        <translation>Y:</translation>
    </message>
</context>
</TS>
