#pragma once
// A label that behaves like a web link: link, visited and hover colours, an
// underline that can follow the pointer, a hand cursor, a tooltip with the
// target, and an error box when the target cannot be opened.
#include <QColor>
#include <QFont>
#include <QLabel>
#include <QTimer>

class CHyperLink : public QLabel {
    Q_OBJECT
public:
    enum UnderlineMode { kUnderlineHover = -1, kUnderlineNever = 0, kUnderlineAlways = 1 };
    // How often the link looks whether the pointer has gone.
    static constexpr int kHoverCheckMs = 100;

    explicit CHyperLink(QWidget* parent = nullptr);

    void SetURL(const QString& target);
    QString URL() const { return url_; }
    void SetUnderline(int mode);
    int Underline() const { return underline_; }
    void SetVisited(bool visited);
    bool Visited() const { return visited_; }
    bool PointerOver() const { return over_; }
    bool Attached() const { return attached_; }
    // The colour the text is drawn in now (hover, visited or link colour).
    QColor CurrentColour() const;

    // Takes the text as target when no target is set, the target as text
    // when the label is empty; sets up fonts, cursor and tooltip.
    void Attach();

    static constexpr QColor kLinkColour{0, 0, 238};
    static constexpr QColor kVisitedColour{85, 26, 139};
    static constexpr QColor kHoverColour{255, 0, 0};

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void PointerEntered();
    void CheckPointerLeft();
    void ShowUnderlined(bool underlined);
    void ApplyColour();
    void OpenTarget();

    bool over_ = false;
    bool visited_ = false;
    bool attached_ = false;
    int underline_ = kUnderlineHover;
    QString url_;
    QFont normalFont_;
    QFont underlinedFont_;
    QTimer hoverTimer_;
};
