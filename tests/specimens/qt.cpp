/****************************************************************************
**
** Qt style: four spaces, a function's brace on its own line, /*! comments,
** signals and slots as access labels.
**
****************************************************************************/

#include "counter.h"

#include <QtCore/qdebug.h>
#include <QtCore/qtimer.h>

QT_BEGIN_NAMESPACE

class Counter : public QObject
{
    Q_OBJECT
    Q_PROPERTY(int value READ value WRITE setValue NOTIFY valueChanged)

public:
    explicit Counter(QObject *parent = nullptr);

    int value() const { return m_value; }

public slots:
    void setValue(int value);
    void reset();

protected	slots:
    void restart();

signals:
    void valueChanged(int newValue);

private:
    int m_value = 0;

C2_TESTABLE:
    QTimer *m_timer = nullptr;

    void tick()
    {
        ++m_value;
    }
};

/*!
    \class Counter
    \brief The Counter class counts.

    It emits valueChanged() whenever its value changes.
*/

Counter::Counter(QObject *parent)
    : QObject(parent),
      m_timer(new QTimer(this))
{
    connect(m_timer, &QTimer::timeout, this, [this]() {
        setValue(m_value + 1);
    });
}

/*!
    Sets the counter's value to \a value.
*/
void Counter::setValue(int value)
{
    if (value == m_value)
        return;
    m_value = value;
    Q_EMIT valueChanged(value);
}

/** 
    Sets the value back to zero (the opener left a blank behind it).
*/
void Counter::reset()
{
    switch (m_value) {
    case 0:
        return;
    default:
        break;
    }
    for (int i = 0; i < 3; ++i) {
        if (i == 1)
            continue;
        qDebug() << "reset" << i
                 << m_value;
    }
    Q_ASSERT(m_timer);
    int spins = 0;
    forever {
        if (++spins > 3)
            break;
    }
    QList<int> marks { 0, 1,
                       2 };
    QPointF origin { 0.0,
                     0.0 };
    setValue(marks.first() + int(origin.x()));
}

QT_END_NAMESPACE
