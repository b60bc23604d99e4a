#pragma once
// One page of a PDF as the writers get it: size, picture, mode, the runs and
// their layout.
#include <cstdint>
#include <string>
#include <vector>

#include "page/flow_plan.h"
#include "page/frame_stack.h"
#include "page/run_block.h"
#include "page/text_run.h"
#include "page/units.h"

struct CPage {
    int number = 0;                  // 1-based page of the PDF
    int32_t widthTwips = 0;          // the page picture's size in twips
    int32_t heightTwips = 0;
    std::string picturePath;         // the JPEG behind the text; empty when graphics are deleted
    TextMode mode = TextMode::Flow;
    RunList lineRuns;                // horizontal runs
    RunList boxRuns;                 // horizontal runs of marked items (flow mode)
    RunList upRuns;                  // reading bottom to top
    RunList downRuns;                // reading top to bottom
    std::vector<CRunBlock> blocks;         // flow mode, after the blocks pass
    std::vector<CFrameStack> frameStacks;  // frame mode, after the frame plan
    CFlowPlan flowPlan;                    // flow mode, after the flow plan
    std::vector<CTextBox> textBoxes;       // either mode, after layout
    std::vector<std::string> facesInFirstUse;  // the page's faces in the order the collectors first used them
    std::vector<uint32_t> colorsInFirstUse;    // likewise colours

    // The paper of the page's section (twips).
    int32_t PaperWidth() const { return widthTwips + kPaperExtraWidth; }
    int32_t PaperHeight() const { return heightTwips + kPaperExtraHeight; }

    // The run a flow line's part or a text box stands for.
    const CTextRun& RunAt(const CBlockRunIndex& index) const
    {
        return blocks[index.block].columns[index.column].runs[index.run];
    }
    const CTextRun& BoxRun(const CTextBox& box) const;

    // Records a face or colour the first time a run of the page uses it.
    void NoteFace(const std::string& face);
    void NoteColor(uint32_t color);
    // Empties the runs, blocks and tables for the next page (keeps nothing).
    void Clear();
};
