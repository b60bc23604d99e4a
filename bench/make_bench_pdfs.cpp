// Writes the benchmarks' generated documents of any length: text set word by
// word, form rows, or dense body text.
//   build/bench/make_bench_pdfs words|rows|dense PAGES OUT.pdf
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "generated_pages.h"

int main(int argc, char** argv)
{
    const int pages = argc == 4 ? std::atoi(argv[2]) : 0;
    const std::string kind = argc == 4 ? argv[1] : "";
    if (pages <= 0 || (kind != "words" && kind != "rows" && kind != "dense")) {
        std::fprintf(stderr, "usage: make_bench_pdfs words|rows|dense PAGES OUT.pdf\n");
        return 2;
    }
    const std::string pdf = kind == "words"  ? pwfix::WordByWordPdf(pages)
                            : kind == "rows" ? pwfix::FormRowsPdf(pages)
                                             : pwfix::DenseTextPdf(pages);
    std::ofstream out(argv[3], std::ios::binary);
    out << pdf;
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
