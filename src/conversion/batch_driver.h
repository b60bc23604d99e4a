#pragma once
// The per-file drivers: convert every PDF of g_inputPaths and store one Word
// document per PDF in g_outputSubfolder (or the folder g_inputOutputFolders
// names under it). Up to g_jobCount files are converted at once, each by a
// worker of its own; the log, prompts and names come out as in a run that
// converts the files in turn. BatchRecord() tells how each file ended.
class IConversionReceiver;

// 1 when every file was converted or a stop was noticed, 0 when a file failed
// or the run was aborted. The receiver may be null.
int ConvertBatchFlow(IConversionReceiver* receiver);
int ConvertBatchFrames(IConversionReceiver* receiver);

// The number of processors this process may run on (at least 1).
int UsableProcessors();
