/* Python's C style: four spaces, a function's type on its own line, its
   brace at column 0, other braces on the opening line. */

#include "Python.h"
#include "pycore_object.h"

#define CHECK_SIZE(n) \
    do { \
        if ((n) < 0) { \
            return NULL; \
        } \
    } while (0)

/* A counter's state.
 */
typedef struct {
    PyObject_HEAD
    Py_ssize_t count;
    PyObject *items;
} CounterObject;

static PyObject *
counter_new(PyTypeObject *type, PyObject *args, PyObject *kwds)
{
    CounterObject *self;
    Py_ssize_t start = 0;

    if (!PyArg_ParseTuple(args, "|n:counter", &start)) {
        return NULL;
    }
    CHECK_SIZE(start);
    self = (CounterObject *)type->tp_alloc(type, 0);
    if (self == NULL) {
        goto error;
    }
    self->count = start;
    return (PyObject *)self;

error:
    PyErr_SetString(PyExc_MemoryError,
                    "cannot allocate a counter");
    return NULL;
}

/* Returns the next value, or NULL with an exception set when it would
   overflow. */
static PyObject *
counter_next(CounterObject *self)
{
    switch (self->count % 2) {
    case 0:
        self->count++;
        break;
    default:
        self->count += 2;
        break;
    }
    if (self->count > PY_SSIZE_T_MAX / 2) {
        PyErr_SetString(PyExc_OverflowError, "too large");
        return NULL;
    }
    else {
        return PyLong_FromSsize_t(self->count);
    }
}

static PyMethodDef counter_methods[] = {
    {"next", (PyCFunction)counter_next, METH_NOARGS,
     "Returns the next value."},
    {NULL, NULL}
};
